// The OpenGL presentation: one texture holding the converted ScreenBuffer,
// drawn as one textured quad stretched over the whole window. Main thread only.
//
// Fixed-function OpenGL 1.1. The pixel conversion itself is headless
// (gfx/display_image.cpp); this file only moves the finished image to the GPU.
#include "platform/sdl/presentation_gl.h"

#include <GL/gl.h>

#include "gfx/display_image.h"
#include "gfx/palette.h"
#include "gfx/screen_buffer.h"

// ---------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------

uint8_t DisplayStaging[DisplayImageBytes];

namespace
{
GLuint DisplayTexture = 0;

// Two triangles covering the 128 x 96 projection; positions in framebuffer
// pixels. Texture s runs up the screen (framebuffer y) and t across it
// (framebuffer x): s = 0.375 is texel column 96, t = 0.5 texel row 128.
GLfloat QuadPositions[12];
GLfloat QuadTexCoords[12];

constexpr GLfloat QuadPositionTable[] = {
    0, 0, 128, 0, 128, 96,
    0, 0, 128, 96, 0, 96,
};
constexpr GLfloat QuadTexCoordTable[] = {
    0, 0, 0, 0.5f, 0.375f, 0.5f,
    0, 0, 0.375f, 0.5f, 0.375f, 0,
};
static_assert(sizeof(QuadPositionTable) / sizeof(GLfloat) == 12, "six 2D positions");
static_assert(sizeof(QuadTexCoordTable) / sizeof(GLfloat) == 12, "six texture coordinates");

void UploadDisplayTexture()
{
    // The whole image goes up every frame; only the 96 x 128 corner changes,
    // but one full upload is simpler and cheap at this size.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, DisplayTextureSize, DisplayTextureSize, 0,
                 GL_RGBA, GL_UNSIGNED_BYTE, DisplayStaging);
}
}

// ---------------------------------------------------------------------------
// Start-up and frames
// ---------------------------------------------------------------------------

void StartDisplay(int32_t width, int32_t height)
{
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glClearColor(0, 0, 0, 1);
    ClearScreenBuffer();
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 128, 0, 96, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT);

    InitDisplayImage(DisplayStaging);

    glColor4f(1, 1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glGenTextures(1, &DisplayTexture);
    glBindTexture(GL_TEXTURE_2D, DisplayTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    UploadDisplayTexture();

    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnable(GL_BLEND);
    // Alpha is 255 everywhere, so (source alpha, one) over the black clear
    // shows the texture colour unchanged.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    for (int i = 0; i < 12; i++)
    {
        QuadPositions[i] = QuadPositionTable[i];
        QuadTexCoords[i] = QuadTexCoordTable[i];
    }
    glVertexPointer(2, GL_FLOAT, 0, QuadPositions);
    glTexCoordPointer(2, GL_FLOAT, 0, QuadTexCoords);

    InitPalettes();
}

void PresentFrame()
{
    glClear(GL_COLOR_BUFFER_BIT);
    FillDisplayImage(DisplayStaging);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, DisplayTexture);
    UploadDisplayTexture();
    glDrawArrays(GL_TRIANGLES, 0, 6);
}
