// A pad's controls to key events (see pad_input.h). Main thread only.
#include "app/pad_input.h"

#include <algorithm>
#include <iterator>

// ---------------------------------------------------------------------------
// Pads
// ---------------------------------------------------------------------------

void PadInput::start(const PadLayout& xbox, int32_t axes, int32_t buttons, int32_t hats)
{
    stop();
    const bool looksLikeIt = axes == xbox.axes && hats == xbox.hats && buttons >= xbox.minButtons &&
                             buttons <= xbox.maxButtons;
    layout = looksLikeIt ? &xbox : &OtherPad;
}

void PadInput::stop()
{
    for (int key = PadUp; key < PadKeyCount; key++)
    {
        if (holders[key] != 0)
        {
            holders[key] = 0;
            push(EventKeyUp, static_cast<PadKey>(key));
        }
    }
    layout = &OtherPad;
}

// ---------------------------------------------------------------------------
// Controls
// ---------------------------------------------------------------------------

void PadInput::hold(int bit, PadKey key, bool held)
{
    if (key == PadNone)
    {
        return;
    }
    const uint64_t mask = uint64_t{1} << bit;
    const uint64_t before = holders[key];
    holders[key] = held ? before | mask : before & ~mask;
    if ((before == 0) != (holders[key] == 0))
    {
        push(held ? EventKeyDown : EventKeyUp, key);
    }
}

void PadInput::push(int32_t type, PadKey key)
{
    // A full ring drops the newest: more than a pad's every key changing
    // twice between two looks at the queue.
    if (count < PendingLimit)
    {
        pending[(first + count++) % PendingLimit] = {type, PadKeySymbols[key]};
    }
}

// One axis as two directions, each pressed past half its travel and let go
// below a quarter: between the two it keeps what it was.
void PadInput::direction(int firstBit, int32_t value, PadKey negative, PadKey positive)
{
    const bool wasNegative = negative != PadNone && (holders[negative] >> firstBit & 1) != 0;
    const bool wasPositive = positive != PadNone && (holders[positive] >> (firstBit + 1) & 1) != 0;
    hold(firstBit, negative, value <= -PadPressTravel || (wasNegative && value < -PadReleaseTravel));
    hold(firstBit + 1, positive, value >= PadPressTravel || (wasPositive && value > PadReleaseTravel));
}

void PadInput::button(int32_t index, bool pressed)
{
    if (index >= 0 && index < PadButtonLimit)
    {
        hold(index, layout->buttons[index], pressed);
    }
}

void PadInput::hat(int32_t index, int32_t value)
{
    if (index != 0)
    {
        return;
    }
    hold(HatBit, PadUp, (value & 1) != 0);
    hold(HatBit + 1, PadRight, (value & 2) != 0);
    hold(HatBit + 2, PadDown, (value & 4) != 0);
    hold(HatBit + 3, PadLeft, (value & 8) != 0);
}

void PadInput::axis(int32_t index, int32_t value)
{
    if (index == layout->stickX)
    {
        direction(StickBit, value, PadLeft, PadRight);
    }
    else if (index == layout->stickY)
    {
        direction(StickBit + 2, value, PadUp, PadDown);  // SDL's y grows downwards
    }
    else if (layout->shared && index == layout->triggers[0])
    {
        direction(TriggerBit, value, PadM, PadM);
    }
    else
    {
        for (int i = 0; i < 2; i++)
        {
            if (index == layout->triggers[i])
            {
                // From rest at -32768: past half is 0 and up, a quarter -16384.
                const bool was = (holders[PadM] >> (TriggerBit + i) & 1) != 0;
                hold(TriggerBit + i, PadM, value >= 0 || (was && value > -PadPressTravel));
            }
        }
    }
}

bool PadInput::holding() const
{
    return std::any_of(std::begin(holders), std::end(holders), [](uint64_t holder) { return holder != 0; });
}

bool PadInput::nextEvent(ShellEvent& event)
{
    if (count == 0)
    {
        return false;
    }
    event = pending[first];
    first = (first + 1) % PendingLimit;
    count--;
    return true;
}
