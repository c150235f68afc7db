// GardenReplay (see garden_replay.h): the shell's start of a game and its
// per-iteration order, on a local mode object, plus the JSON dump of a
// garden's state. Main thread only.
#include "game/garden_replay.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "game/mode_clock.h"
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

// "key":value, for the scalar fields of the state.
void AppendIntField(std::string& out, const char* key, long long value)
{
    AppendKey(out, key);
    AppendInt(out, value);
    out += ',';
}

void AppendBoolField(std::string& out, const char* key, bool value)
{
    AppendKey(out, key);
    out += value ? "true" : "false";
    out += ',';
}

template <typename Number>
void AppendArrayField(std::string& out, const char* key, const Number* values, int count)
{
    AppendKey(out, key);
    AppendArray(out, values, count);
    out += ',';
}

void AppendEntity(std::string& out, const Entity& e)
{
    const long long fields[] = {e.id, e.type, e.posX, e.posY, e.velX, e.velY,
                                e.cellX, e.cellY, e.slideX, e.slideY, e.hp,
                                e.timer, e.energy, e.orientation, e.age};
    static constexpr const char* names[] = {"id", "type", "posX", "posY", "velX",
                                            "velY", "cellX", "cellY", "slideX",
                                            "slideY", "hp", "timer", "energy",
                                            "orientation", "age"};
    static_assert(sizeof(fields) / sizeof(fields[0]) == sizeof(names) / sizeof(names[0]),
                  "a name for every entity field");
    AppendFields(out, names, fields, sizeof(names) / sizeof(names[0]));
    out += '}';
}

void AppendEffect(std::string& out, const Effect& effect)
{
    const long long fields[] = {effect.kind, effect.posX, effect.posY,
                                effect.velX, effect.velY, effect.colour};
    static constexpr const char* names[] = {"kind", "posX", "posY", "velX", "velY", "colour"};
    static_assert(sizeof(fields) / sizeof(fields[0]) == sizeof(names) / sizeof(names[0]),
                  "a name for every effect field");
    AppendFields(out, names, fields, sizeof(names) / sizeof(names[0]));
    out += ',';
    AppendKey(out, "life");
    char life[32];
    std::snprintf(life, sizeof life, "%.9g", static_cast<double>(effect.life));
    out += life;
    out += ',';
    AppendKey(out, "dead");
    out += effect.dead ? "true" : "false";
    out += '}';
}

// "key":[item,item,...], each item written by `write`.
template <typename Container, typename Writer>
void AppendList(std::string& out, const char* key, const Container& items, Writer write)
{
    AppendKey(out, key);
    out += '[';
    bool first = true;
    for (const auto& item : items)
    {
        if (!first)
        {
            out += ',';
        }
        first = false;
        write(out, item);
    }
    out += ']';
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

    garden = StartGarden(shellClock);
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
    CatchUpMode(*garden, shellClock, 1);
    PaletteTick();
}

std::string GardenReplay::stateJson() const
{
    const GameTitle& g = *garden;
    std::string out;
    out.reserve(4096);
    out += '{';
    AppendIntField(out, "iter", static_cast<long long>(currentIteration));
    AppendIntField(out, "tick", g.tick);
    AppendBoolField(out, "planting", g.planting);
    const int32_t cursor[2] = {g.cursorX, g.cursorY};
    AppendArrayField(out, "cursor", cursor, 2);
    AppendIntField(out, "cursorRepeat", g.cursorRepeat);
    AppendIntField(out, "gardenTicks", g.gardenTicks);
    const int32_t source[2] = {g.blightSourceX, g.blightSourceY};
    AppendArrayField(out, "blightSource", source, 2);
    AppendArrayField(out, "tileStock", g.tileStock, TileKinds);
    AppendArrayField(out, "tiles", g.tiles, BoardCells);
    AppendArrayField(out, "growth", g.growth, BoardCells);
    AppendArrayField(out, "blight", g.blight, BoardCells);
    AppendList(out, "heldButtons", g.heldButtons,
               [](std::string& text, int32_t button) { AppendInt(text, button); });
    out += ',';
    AppendIntField(out, "nextEntityId", g.nextEntityId);
    AppendIntField(out, "paletteTickCounter", PaletteTickCounter);
    AppendList(out, "entities", g.entities,
               [](std::string& text, const auto& entry) { AppendEntity(text, *entry.second); });
    out += ',';
    AppendList(out, "effects", g.effects,
               [](std::string& text, const auto& effect) { AppendEffect(text, *effect); });
    out += '}';
    return out;
}
