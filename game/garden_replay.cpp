// GardenReplay (see garden_replay.h): the shell's start of a game and its
// per-iteration order, on a local mode object, plus the JSON dump of a
// garden's state. Main thread only.
#include "game/garden_replay.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "gfx/palette.h"

namespace
{

void AppendFormat(std::string& out, const char* format, long long value)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    out += text;
}

void AppendInt(std::string& out, long long value)
{
    AppendFormat(out, "%lld", value);
}

template <typename Number>
void AppendArray(std::string& out, const Number* values, int count)
{
    out += '[';
    for (int i = 0; i < count; ++i)
    {
        if (i > 0)
        {
            out += ',';
        }
        AppendInt(out, static_cast<long long>(values[i]));
    }
    out += ']';
}

void AppendKey(std::string& out, const char* key)
{
    out += '"';
    out += key;
    out += "\":";
}

// Opens an object and writes "name":value pairs into it; the caller closes it.
void AppendFields(std::string& out, const char* const* names, const long long* fields, size_t count)
{
    out += '{';
    for (size_t i = 0; i < count; ++i)
    {
        if (i > 0)
        {
            out += ',';
        }
        AppendKey(out, names[i]);
        AppendInt(out, fields[i]);
    }
}

}  // namespace

GardenReplay::GardenReplay(uint32_t seed, std::vector<ReplayEvent> events)
    : script(std::move(events))
{
    std::stable_sort(script.begin(), script.end(),
                     [](const ReplayEvent& a, const ReplayEvent& b)
                     { return a.iteration < b.iteration; });

    std::srand(seed);
    for (auto& colour : LivePalette)
    {
        for (auto& variant : colour)
        {
            for (float& component : variant)
            {
                component = 0.0f;
            }
        }
    }
    for (auto& colour : TargetPalette)
    {
        for (auto& variant : colour)
        {
            for (float& component : variant)
            {
                component = 0.0f;
            }
        }
    }
    PaletteDriftSpeed = 24;
    PaletteTickCounter = 0;

    // As the shell starts a game: clock to 0, a new mode, one update at once.
    shellClock = 0;
    garden = std::make_unique<GameTitle>();
    garden->update();
}

void GardenReplay::catchUpUpdates(uint32_t ticks)
{
    shellClock += ticks;
    while (garden->tick < shellClock)
    {
        garden->update();
    }
    shellClock = garden->tick;
}

void GardenReplay::step()
{
    ++currentIteration;
    while (nextEvent < script.size() && script[nextEvent].iteration < currentIteration)
    {
        ++nextEvent;  // events of iteration 0: the game starts before any key
    }
    while (nextEvent < script.size() && script[nextEvent].iteration == currentIteration)
    {
        const ReplayEvent& event = script[nextEvent++];
        if (event.down)
        {
            garden->buttonDown(event.button);
        }
        else
        {
            garden->buttonUp(event.button);
        }
    }
    catchUpUpdates(1);
    PaletteTick();
}

std::string GardenReplay::stateJson() const
{
    const GameTitle& g = *garden;
    std::string out;
    out.reserve(4096);
    out += '{';
    AppendKey(out, "iter");
    AppendInt(out, static_cast<long long>(currentIteration));
    out += ',';
    AppendKey(out, "tick");
    AppendInt(out, g.tick);
    out += ',';
    AppendKey(out, "planting");
    out += g.planting ? "true" : "false";
    out += ',';
    AppendKey(out, "cursor");
    const int32_t cursor[2] = {g.cursorX, g.cursorY};
    AppendArray(out, cursor, 2);
    out += ',';
    AppendKey(out, "cursorRepeat");
    AppendInt(out, g.cursorRepeat);
    out += ',';
    AppendKey(out, "gardenTicks");
    AppendInt(out, g.gardenTicks);
    out += ',';
    AppendKey(out, "blightSource");
    const int32_t source[2] = {g.blightSourceX, g.blightSourceY};
    AppendArray(out, source, 2);
    out += ',';
    AppendKey(out, "tileStock");
    AppendArray(out, g.tileStock, TileKinds);
    out += ',';
    AppendKey(out, "tiles");
    AppendArray(out, g.tiles, BoardCells);
    out += ',';
    AppendKey(out, "growth");
    AppendArray(out, g.growth, BoardCells);
    out += ',';
    AppendKey(out, "blight");
    AppendArray(out, g.blight, BoardCells);
    out += ',';
    AppendKey(out, "heldButtons");
    out += '[';
    bool first = true;
    for (int32_t button : g.heldButtons)
    {
        if (!first)
        {
            out += ',';
        }
        first = false;
        AppendInt(out, button);
    }
    out += "],";
    AppendKey(out, "nextEntityId");
    AppendInt(out, g.nextEntityId);
    out += ',';
    AppendKey(out, "paletteTickCounter");
    AppendInt(out, PaletteTickCounter);
    out += ',';

    AppendKey(out, "entities");
    out += '[';
    first = true;
    for (const auto& [id, e] : g.entities)
    {
        if (!first)
        {
            out += ',';
        }
        first = false;
        const long long fields[] = {e->id, e->type, e->posX, e->posY, e->velX, e->velY,
                                    e->cellX, e->cellY, e->slideX, e->slideY, e->hp,
                                    e->timer, e->energy, e->orientation, e->age};
        static constexpr const char* names[] = {"id", "type", "posX", "posY", "velX",
                                                "velY", "cellX", "cellY", "slideX",
                                                "slideY", "hp", "timer", "energy",
                                                "orientation", "age"};
        static_assert(sizeof(fields) / sizeof(fields[0]) == sizeof(names) / sizeof(names[0]),
                      "a name for every entity field");
        AppendFields(out, names, fields, sizeof(names) / sizeof(names[0]));
        out += '}';
    }
    out += "],";

    AppendKey(out, "effects");
    out += '[';
    first = true;
    for (const auto& effect : g.effects)
    {
        if (!first)
        {
            out += ',';
        }
        first = false;
        const long long fields[] = {effect->kind, effect->posX, effect->posY,
                                    effect->velX, effect->velY, effect->colour};
        static constexpr const char* names[] = {"kind", "posX", "posY", "velX", "velY", "colour"};
        AppendFields(out, names, fields, sizeof(names) / sizeof(names[0]));
        out += ',';
        AppendKey(out, "life");
        char life[32];
        std::snprintf(life, sizeof life, "%.9g", static_cast<double>(effect->life));
        out += life;
        out += ',';
        AppendKey(out, "dead");
        out += effect->dead ? "true" : "false";
        out += '}';
    }
    out += "]}";
    return out;
}
