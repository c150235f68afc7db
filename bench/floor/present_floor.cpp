// present-floor: the least a program can do to show frames the way the game
// does, as a floor for the performance report. It opens the same full-screen
// SDL 1.2 OpenGL window at the desktop size, sets up the same fixed-function
// state, and every 18 ms uploads one 256 x 256 RGBA texture, draws it as one
// quad and swaps: no game, no palette, no audio. Main thread only.
//
//     present-floor [SECONDS]       runs until Escape, window close or SIGTERM,
//                                   or for SECONDS when given
#include <SDL.h>
#include <GL/gl.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>

namespace
{
constexpr uint32_t FrameMs = 18;       // one frame per game tick
constexpr int TextureSize = 256;       // texels per side, as the game's display texture

uint8_t Texels[TextureSize * TextureSize * 4];
volatile std::sig_atomic_t StopRequested = 0;

void RequestStop(int)
{
    StopRequested = 1;
}

constexpr GLfloat QuadPositions[] = {
    0, 0, 128, 0, 128, 96,
    0, 0, 128, 96, 0, 96,
};
constexpr GLfloat QuadTexCoords[] = {
    0, 0, 0, 0.5f, 0.375f, 0.5f,
    0, 0, 0.375f, 0.5f, 0.375f, 0,
};
static_assert(sizeof(QuadPositions) / sizeof(GLfloat) == 12, "six 2D positions");
static_assert(sizeof(QuadTexCoords) / sizeof(GLfloat) == 12, "six texture coordinates");

void Present()
{
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, TextureSize, TextureSize, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, Texels);
    glDrawArrays(GL_TRIANGLES, 0, 6);
    SDL_GL_SwapBuffers();
}
}  // namespace

int main(int argc, char** argv)
{
    const uint32_t runMs = argc > 1 ? static_cast<uint32_t>(std::atoi(argv[1])) * 1000u : 0;
    std::signal(SIGTERM, RequestStop);
    std::signal(SIGINT, RequestStop);

    if (SDL_Init(SDL_INIT_VIDEO) < 0)
    {
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    const SDL_VideoInfo* desktop = SDL_GetVideoInfo();
    const int width = desktop ? desktop->current_w : 0;
    const int height = desktop ? desktop->current_h : 0;
    if (!SDL_SetVideoMode(width, height, 32, SDL_OPENGL | SDL_FULLSCREEN))
    {
        SDL_Quit();
        return 1;
    }
    SDL_WM_SetCaption("present-floor", "present-floor");
    SDL_ShowCursor(0);

    // A still picture of some colour; alpha 255 as the game keeps it.
    for (int i = 0; i < TextureSize * TextureSize; i++)
    {
        Texels[i * 4 + 0] = static_cast<uint8_t>(i);
        Texels[i * 4 + 1] = static_cast<uint8_t>(i >> 8);
        Texels[i * 4 + 2] = 128;
        Texels[i * 4 + 3] = 255;
    }

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glClearColor(0, 0, 0, 1);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 128, 0, 96, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4f(1, 1, 1, 1);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glVertexPointer(2, GL_FLOAT, 0, QuadPositions);
    glTexCoordPointer(2, GL_FLOAT, 0, QuadTexCoords);

    const uint32_t start = SDL_GetTicks();
    uint32_t nextFrame = start;
    bool running = true;
    while (running && !StopRequested)
    {
        SDL_Event event;
        while (SDL_PollEvent(&event))
        {
            if (event.type == SDL_QUIT ||
                (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE))
            {
                running = false;
            }
        }
        const uint32_t now = SDL_GetTicks();
        if (runMs != 0 && now - start >= runMs)
        {
            break;
        }
        if (static_cast<int32_t>(now - nextFrame) >= 0)
        {
            Present();
            nextFrame += FrameMs;
            if (static_cast<int32_t>(now - nextFrame) > static_cast<int32_t>(FrameMs))
            {
                nextFrame = now + FrameMs;  // fell far behind: drop, do not race
            }
        }
        else
        {
            SDL_Delay(nextFrame - now);
        }
    }
    SDL_Quit();
    return 0;
}
