// Death bursts and sparks: when they appear, what colour, how long they fly.
#include <gtest/gtest.h>

#include <memory>

#include "game/game_state.h"
#include "game/sprites.h"
#include "garden_fixtures.h"

namespace
{

Effect& AddSpark(GameState& state, int32_t posX, int32_t posY, int32_t vel)
{
    state.effects.push_back(std::make_unique<Effect>(
        Effect{EffectSpark, posX, posY, vel, vel, 8, EffectKinds[EffectSpark].startLife}));
    return *state.effects.back();
}

}  // namespace

TEST(DeathBurst, AStarvingFlyerHitsZeroOnTick832AndBurstsIntoSixteenRedSparks)
{
    auto garden = NewGarden(11);
    Entity& flyer = garden->spawnEntity(EntityFlyer, 4, 4);
    Steps(*garden, 831);
    ASSERT_GT(flyer.hp, 0);
    garden->update();
    EXPECT_EQ(flyer.hp, -1) << "still here until the next update";
    EXPECT_TRUE(garden->effects.empty());
    garden->update();
    ASSERT_EQ(garden->effects.size(), 16u);
    for (const auto& spark : garden->effects)
    {
        EXPECT_EQ(spark->colour, 7);
        EXPECT_LE(std::max(std::abs(spark->velX), std::abs(spark->velY)), 16);
    }
}

TEST(Sparks, FlyExactlyOneHundredStepsOrUntilClampedToTheEdgeAndAreDrawnOnceMore)
{
    GameState state;
    Effect& inside = AddSpark(state, 4000, 3000, 1);
    Effect& leaving = AddSpark(state, 64, 640, -16);
    leaving.velY = 0;
    Effect& high = AddSpark(state, 8190, 6140, 16);
    state.update();
    EXPECT_TRUE(high.dead);
    EXPECT_EQ((std::pair{high.posX, high.posY}), (std::pair{8192, 6144}));
    ClearScreenBuffer();
    state.drawEffects();
    EXPECT_EQ(std::count(std::begin(ScreenBuffer), std::end(ScreenBuffer), 8), 2)
        << "a spark on the far edge lies outside the picture";
    for (int i = 2; i <= 4; ++i)
    {
        state.update();
    }
    EXPECT_FALSE(leaving.dead);
    EXPECT_EQ(leaving.posX, 0);
    state.update();
    EXPECT_TRUE(leaving.dead);
    ClearScreenBuffer();
    state.drawEffects();
    EXPECT_EQ(Pixel(0, 10), 8) << "still drawn until freed";
    for (int i = 6; i < 100; ++i)
    {
        state.update();
        ASSERT_FALSE(inside.dead) << "step " << i;
    }
    EXPECT_EQ(state.effects.size(), 1u);
    state.update();
    EXPECT_TRUE(inside.dead);
    EXPECT_EQ(inside.posX, 4100);
    state.update();
    EXPECT_TRUE(state.effects.empty());
}
