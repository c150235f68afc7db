// The play state's entity machinery: the behaviour pass, sliding between
// cells and entity drawing. Entity ids are part of the golden replay.
#include <gtest/gtest.h>

#include <tuple>

#include "game/game_state.h"
#include "game/sprites.h"
#include "garden_fixtures.h"

TEST(BehaviourPass, AnEntityAtZeroHpStillCountsDownAndSlidesThenGoesNextUpdate)
{
    auto garden = NewGarden(3);
    Entity& creature = garden->spawnEntity(EntityCreature, 2, 2);
    creature.hp = 0;
    creature.slideX = 5;
    creature.timer = 3;
    garden->update();
    ASSERT_EQ(garden->entities.count(creature.id), 1u);
    EXPECT_EQ((std::tuple{creature.hp, creature.timer, creature.slideX}), (std::tuple{-1, 2, 4}));
    EXPECT_EQ(creature.posX, static_cast<int32_t>((4 * 0.5 + 2 * 12 + 6) * 64));
    garden->update();
    EXPECT_TRUE(garden->entities.empty());
    EXPECT_TRUE(garden->effects.empty()) << "creatures leave no burst";
}

TEST(Sliding, AGardenerSteppingDownGlidesOneAndAHalfPixelsPerUpdate)
{
    auto garden = OpenEmptyGarden(5);
    Entity& gardener = Gardener(*garden);
    garden->update();  // settle on (0, 7)
    garden->buttonDown(ButtonDown);
    garden->update();
    garden->buttonUp(ButtonDown);
    EXPECT_EQ(gardener.cellY, 6);
    EXPECT_EQ(gardener.slideY, 7);
    // 10.5 pixels above the new cell's centre, then 1.5 pixels closer each update.
    for (int i = 0; i <= 7; ++i)
    {
        EXPECT_EQ(gardener.posY, static_cast<int32_t>((6 * 12 + 6 + 10.5 - 1.5 * i) * 64)) << i;
        garden->update();
    }
    EXPECT_EQ(gardener.slideY, 0);
}

TEST(EntityDrawing, HalfAPixelLeftOfTheScreenIsCentredOnColumnZero)
{
    GameState state;
    Entity& gardener = state.spawnEntity(EntityGardener, 0, 3);
    gardener.posX = -32;
    gardener.orientation = OrientUpright;
    ClearScreenBuffer();
    state.drawEntities();
    const std::vector<int8_t> drawn(std::begin(ScreenBuffer), std::end(ScreenBuffer));
    ClearScreenBuffer();
    drawSprite(SpriteGardener, 0, gardener.posY / 64, OrientUpright, false);
    EXPECT_TRUE(std::equal(drawn.begin(), drawn.end(), std::begin(ScreenBuffer)));
}
