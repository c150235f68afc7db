// The sprite bank and drawSprite, the blitter every board picture goes through.
//
// The art is written below as rows of characters, top row first ('.' is 0,
// a digit a palette index) and turned into the 257-byte records at compile
// time. Tiles 0..18 stand on dark soil with a one-pixel gap on their right and
// bottom edges, so the board reads as a grid. Main thread only.
#include "game/sprites.h"

#include <cstddef>
#include <cstring>

#include "gfx/screen_buffer.h"

namespace
{

// Builds one record from n rows of n characters. A wrong length fails the
// static_assert; a character other than '.' or a digit stops compilation,
// because a throw cannot be evaluated in a constant expression.
template <int n, std::size_t length>
constexpr SpriteRecord Art(const char (&text)[length])
{
    static_assert(n >= 1 && n <= 16, "sprites are 1..16 pixels square");
    static_assert(length == n * n + 1, "art must be n rows of n characters");
    SpriteRecord record{};
    record.size = static_cast<int8_t>(n);
    for (int r = 0; r < n; ++r)
    {
        for (int c = 0; c < n; ++c)
        {
            const char ch = text[r * n + c];
            if (ch == '.')
            {
                record.pixels[16 * r + c] = 0;
            }
            else if (ch >= '0' && ch <= '9')
            {
                record.pixels[16 * r + c] = static_cast<int8_t>(ch - '0');
            }
            else
            {
                throw "sprite art holds an unknown character";
            }
        }
    }
    return record;
}

// True when every non-zero pixel of the record uses one of `allowed`.
constexpr bool UsesOnly(const SpriteRecord& record, const char* allowed)
{
    for (int i = 0; i < 256; ++i)
    {
        const int8_t value = record.pixels[i];
        if (value == 0)
        {
            continue;
        }
        bool found = false;
        for (const char* a = allowed; *a != '\0'; ++a)
        {
            found = found || (value == *a - '0');
        }
        if (!found)
        {
            return false;
        }
    }
    return true;
}

// =============================================================================
// Art
// =============================================================================

constexpr SpriteRecord Bank[] = {
    // 0: bare soil
    Art<12>(
        "11111111111."
        "11211111111."
        "11111111121."
        "11111111111."
        "11111211111."
        "12111111111."
        "11111111111."
        "11111112111."
        "11111111111."
        "11211111111."
        "11111111211."
        "............"
    ),
    // 1: ground cover (Z)
    Art<12>(
        "14411114411."
        "44441144441."
        "14411114411."
        "11411111411."
        "11111441111."
        "41114444114."
        "44111441144."
        "41111411114."
        "11441111441."
        "14444114444."
        "11441111441."
        "............"
    ),
    // 2: X seed, planted (becomes 8)
    Art<12>(
        "11111111111."
        "11211111111."
        "11111111881."
        "11111111881."
        "11111211121."
        "12111111121."
        "11114111121."
        "11141412121."
        "11222221121."
        "12222222121."
        "11111111211."
        "............"
    ),
    // 3: stone (C): blight never clears it
    Art<12>(
        "11111111111."
        "11211111111."
        "11133331121."
        "11333333111."
        "13333333211."
        "13333333221."
        "13333333322."
        "12333333322."
        "11223333221."
        "11222222211."
        "11111111211."
        "............"
    ),
    // 4: V seed, planted (becomes 12)
    Art<12>(
        "11111111111."
        "11211111111."
        "11111111551."
        "11111111551."
        "11111211121."
        "12111111121."
        "11114111121."
        "11141412121."
        "11222221121."
        "12222222121."
        "11111111211."
        "............"
    ),
    // 5: B seed, planted (becomes 15)
    Art<12>(
        "11111111111."
        "11211111111."
        "11111111991."
        "11111111991."
        "11111211121."
        "12111111121."
        "11114111121."
        "11141412121."
        "11222221121."
        "12222222121."
        "11111111211."
        "............"
    ),
    // 6: shrub N: white blossom, holds blight back, feeds flyers
    Art<12>(
        "11144441111."
        "11443344111."
        "14443344341."
        "14334443341."
        "44334434441."
        "44444334444."
        "14344334441."
        "13344444334."
        "11444334111."
        "11211221111."
        "11111221211."
        "............"
    ),
    // 7: shrub M: red-gold blossom, holds blight back, feeds flyers
    Art<12>(
        "11144941111."
        "11498449111."
        "14444948421."
        "14944449484."
        "44844944491."
        "49444484944."
        "14449448441."
        "11484444941."
        "11144944111."
        "11211221111."
        "11111221211."
        "............"
    ),
    // 8: X plant: sprout
    Art<12>(
        "11111111111."
        "11211111111."
        "11111111121."
        "11111111111."
        "11111211111."
        "12111111111."
        "11114141111."
        "11111442111."
        "11111411111."
        "11211411111."
        "11112221211."
        "............"
    ),
    // 9: X plant: leafy stalk
    Art<12>(
        "11111111111."
        "11211111111."
        "11111111121."
        "11111411111."
        "11114441111."
        "12111411111."
        "11441414411."
        "11144444411."
        "11111411111."
        "14411411111."
        "11444422211."
        "............"
    ),
    // 10: X plant: bud
    Art<12>(
        "11111111111."
        "11211811111."
        "11114841121."
        "11111411111."
        "11441411111."
        "12144411441."
        "11111444411."
        "11441412111."
        "11144411111."
        "11211414411."
        "11112444211."
        "............"
    ),
    // 11: X plant: gold flower head
    Art<12>(
        "11188881111."
        "11882288111."
        "11822228121."
        "11882288111."
        "11188481111."
        "12441411441."
        "11144444411."
        "11111412111."
        "14411414411."
        "11444444411."
        "11112221211."
        "............"
    ),
    // 12: V plant: seedling
    Art<12>(
        "11111111111."
        "11211111111."
        "11111111121."
        "11111111111."
        "11111211111."
        "12111111111."
        "11111111111."
        "11114114111."
        "11144144111."
        "11214444111."
        "11122222211."
        "............"
    ),
    // 13: V plant: round bush
    Art<12>(
        "11111111111."
        "11211111111."
        "11111111121."
        "11111111111."
        "11114241111."
        "12441414411."
        "14444444444."
        "11444444441."
        "14444444444."
        "11444444441."
        "11122222211."
        "............"
    ),
    // 14: V plant: in violet flower
    Art<12>(
        "11111111111."
        "11211111111."
        "11151111121."
        "11585111511."
        "11454215851."
        "14444444544."
        "14444544444."
        "11445854441."
        "14444544444."
        "11444444441."
        "11122222211."
        "............"
    ),
    // 15: B plant: shoot
    Art<12>(
        "11111111111."
        "11211111111."
        "11111111121."
        "11111111111."
        "11111211111."
        "12111111111."
        "11111191111."
        "11111142111."
        "11114141111."
        "11211441111."
        "11111121211."
        "............"
    ),
    // 16: B plant: branching
    Art<12>(
        "11111111111."
        "11211111111."
        "11111111121."
        "11111119111."
        "11111214111."
        "12911144111."
        "11441414141."
        "11144114441."
        "11114144111."
        "11211441111."
        "11111121211."
        "............"
    ),
    // 17: B plant: budding
    Art<12>(
        "11111111111."
        "11219119111."
        "11114114191."
        "11914414141."
        "11411444411."
        "12441414119."
        "11144414144."
        "19114144141."
        "14414444111."
        "11444411111."
        "11112211211."
        "............"
    ),
    // 18: B plant: in full blossom
    Art<12>(
        "11999199911."
        "19989998911."
        "11999499929."
        "119141141989"
        "19994241991."
        "98914441911."
        "19914141111."
        "114141441999"
        "111444144989"
        "112144111999"
        "11112211211."
        "............"
    ),
    // 19: gardener, facing right when upright
    Art<12>(
        "....7777...."
        "...777777..."
        "..77777777.."
        "....3333.3.."
        "....33333..."
        ".....33....."
        "....2222...."
        "...222222333"
        "...2.22.2..."
        "...3222....."
        "....2..2...."
        "...22..22..."
    ),
    // 20: blight, light
    Art<12>(
        "............"
        "............"
        ".6.6........"
        ".........6.."
        "............"
        "6.6........."
        "....6......."
        "....6......."
        ".......6...."
        "............"
        "............"
        "............"
    ),
    // 21: blight, spreading
    Art<12>(
        "............"
        "....6......."
        ".6.6........"
        ".....6...6.."
        ".6.6...6...."
        "6.6...6....."
        "....6......."
        "..6.6.6...6."
        "6......6...."
        "............"
        "..........6."
        "....6......."
    ),
    // 22: blight, thick
    Art<12>(
        "66.6........"
        "....6..6...."
        ".6.6..6..66."
        ".....6...6.."
        ".6.6...6...."
        "6.6...6....."
        "....6......."
        "..6.6.666.6."
        "6...6..66..."
        ".66.6....6.."
        "..6...6...6."
        "..666......6"
    ),
    // 23: blight, overrun
    Art<12>(
        "66666......."
        "....6..666.."
        ".6.6.66..666"
        ".....66.66.."
        "66.66..66..."
        "6.6.666....."
        "....66......"
        ".66.66666.6."
        "6.6.6..66.6."
        ".66.6....6.."
        "..6...66..66"
        "..666......6"
    ),
    // 24: creature
    Art<12>(
        "............"
        "............"
        "............"
        "....5555...."
        "...555555..."
        "..55355355.."
        ".5555555555."
        "755555555557"
        ".7555555557."
        "..3.3..3.3.."
        "............"
        "............"
    ),
    // 25: flyer
    Art<5>(
        "....."
        "77.77"
        "..7.."
        "....."
        "....."
    ),
};
static_assert(sizeof(Bank) / sizeof(Bank[0]) == SpriteCount, "26 sprites");

constexpr bool TilesUseTileColours()
{
    for (int i = 0; i <= 18; ++i)
    {
        if (Bank[i].size != 12 || !UsesOnly(Bank[i], "12345689"))
        {
            return false;
        }
    }
    return true;
}
static_assert(TilesUseTileColours(), "tiles are 12 x 12 in the tile colours");
static_assert(Bank[SpriteGardener].size == 12 && UsesOnly(Bank[SpriteGardener], "237"),
              "gardener colours");
static_assert(Bank[20].size == 12 && UsesOnly(Bank[20], "6") && UsesOnly(Bank[21], "6") &&
                  UsesOnly(Bank[22], "6") && UsesOnly(Bank[23], "6"),
              "blight overlays are purple only");
static_assert(Bank[SpriteCreature].size == 12 && UsesOnly(Bank[SpriteCreature], "357"),
              "creature colours");
static_assert(Bank[SpriteFlyer].size == 5 && UsesOnly(Bank[SpriteFlyer], "7"), "flyer colours");

constexpr bool HasVisiblePixel(const SpriteRecord& record)
{
    for (int i = 0; i < 256; ++i)
    {
        if (record.pixels[i] != 0)
        {
            return true;
        }
    }
    return false;
}
// A death burst draws random pixels of the sprite until it finds a visible
// one, so every entity sprite must have one or the burst would never end.
static_assert(HasVisiblePixel(Bank[SpriteGardener]) && HasVisiblePixel(Bank[SpriteCreature]) &&
                  HasVisiblePixel(Bank[SpriteFlyer]),
              "entity sprites are not empty");

// Where output pixel (u, v) reads its source, as a start offset into the
// 16-wide grid and a step per output column (u) and per output row (v).
struct SourceWalk
{
    int start;
    int stepU;
    int stepV;
};

SourceWalk WalkForMode(int mode, int n)
{
    const int last = n - 1;
    switch (mode)
    {
    case 0: return {0, 1, 16};                      // S[v][u]
    case 1: return {16 * last, -16, 1};             // S[n-1-u][v]
    case 2: return {16 * last + last, -1, -16};     // S[n-1-v][n-1-u]
    case 3: return {last, 16, -1};                  // S[u][n-1-v]
    case 4: return {last, -1, 16};                  // S[v][n-1-u]
    case 5: return {16 * last + last, -16, -1};     // S[n-1-u][n-1-v]
    case 6: return {16 * last, 1, -16};             // S[n-1-v][u]
    default: return {0, 16, 1};                     // 7: S[u][v]
    }
}

// The upright orientation (6) is what the board, the overlays and almost every
// entity use. For it each sprite is also kept column by column, bottom row
// first, the order the column-major screen wants, so a column is one
// contiguous run on both sides and can be blended eight pixels at a time.
struct UprightColumns
{
    int8_t columns[SpriteCount][16][16];  // [sprite][u][v] = S[n-1-v][u]
};

constexpr UprightColumns MakeUprightColumns()
{
    UprightColumns table{};
    for (int i = 0; i < SpriteCount; ++i)
    {
        const int n = Bank[i].size;
        for (int u = 0; u < n; ++u)
        {
            for (int v = 0; v < n; ++v)
            {
                table.columns[i][u][v] = Bank[i].pixels[16 * (n - 1 - v) + u];
            }
        }
    }
    return table;
}

constexpr UprightColumns Upright = MakeUprightColumns();

// Copies the non-zero bytes of `source` over `target` (or all of them when
// opaque). Palette indices are 0..9, so adding 0x7f to a byte sets its top bit
// exactly when it is non-zero, without a carry into the next byte.
void BlendRun(int8_t* target, const int8_t* source, int count, bool opaque)
{
    if (opaque)
    {
        std::memcpy(target, source, static_cast<size_t>(count));
        return;
    }
    int v = 0;
    for (; v + 8 <= count; v += 8)
    {
        uint64_t in = 0;
        uint64_t out = 0;
        std::memcpy(&in, source + v, 8);
        std::memcpy(&out, target + v, 8);
        const uint64_t set = ((in + 0x7f7f7f7f7f7f7f7fULL) & 0x8080808080808080ULL) >> 7;
        const uint64_t mask = set * 0xff;
        out = (in & mask) | (out & ~mask);
        std::memcpy(target + v, &out, 8);
    }
    for (; v < count; ++v)
    {
        if (source[v] != 0)
        {
            target[v] = source[v];
        }
    }
}

}  // namespace

// =============================================================================
// Globals
// =============================================================================

const SpriteRecord SpriteBank[SpriteCount] = {
    Bank[0], Bank[1], Bank[2], Bank[3], Bank[4], Bank[5], Bank[6], Bank[7], Bank[8],
    Bank[9], Bank[10], Bank[11], Bank[12], Bank[13], Bank[14], Bank[15], Bank[16],
    Bank[17], Bank[18], Bank[19], Bank[20], Bank[21], Bank[22], Bank[23], Bank[24],
    Bank[25],
};

// =============================================================================
// Drawing
// =============================================================================

void drawSprite(int32_t index, int32_t cx, int32_t cy, int32_t mode, bool opaque)
{
    if (index < 0 || index >= SpriteCount)
    {
        return;
    }
    const SpriteRecord& sprite = SpriteBank[index];
    const int n = sprite.size;
    if (n <= 0)
    {
        return;
    }
    const int h = n / 2;
    const int left = cx - h;
    const int bottom = cy - h;

    // Clip the square once; the loop below then needs no checks.
    const int uBegin = left < 0 ? -left : 0;
    const int uEnd = left + n > ScreenWidth ? ScreenWidth - left : n;
    const int vBegin = bottom < 0 ? -bottom : 0;
    const int vEnd = bottom + n > ScreenHeight ? ScreenHeight - bottom : n;
    if (uBegin >= uEnd || vBegin >= vEnd)
    {
        return;
    }

    if ((mode & 7) == OrientUpright)
    {
        for (int u = uBegin; u < uEnd; ++u)
        {
            BlendRun(&ScreenBuffer[PixelOffset(left + u, bottom + vBegin)],
                     &Upright.columns[index][u][vBegin], vEnd - vBegin, opaque);
        }
        return;
    }

    // Every other orientation walks the stored grid with the mode's steps. This
    // plain walk is also right for mode 6; the path above only makes it faster.
    const SourceWalk walk = WalkForMode(mode & 7, n);
    for (int u = uBegin; u < uEnd; ++u)
    {
        int8_t* target = &ScreenBuffer[PixelOffset(left + u, bottom + vBegin)];
        int source = walk.start + walk.stepU * u + walk.stepV * vBegin;
        for (int v = vBegin; v < vEnd; ++v, ++target, source += walk.stepV)
        {
            const int8_t value = sprite.pixels[source];
            if (value != 0 || opaque)
            {
                *target = value;
            }
        }
    }
}
