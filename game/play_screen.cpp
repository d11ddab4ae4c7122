#include "game/game.h"
#include "game/seams.h"
#include "sprites/rect.h"

namespace {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;

void DrawSprite(Sprite &sprite, bool live) {
    if (live) {
        sprite.Draw();
    } else {
        sprite.DrawStill();
    }
}

template <int N> void DrawLane(Sprite (&lane)[N], const int (&active)[N], bool live) {
    for (int i = 0; i < N; ++i) {
        if (active[i] == 1) {
            DrawSprite(lane[i], live);
        }
    }
}

} // namespace

void Game::DrawPlay() {
    DrawScene(true);
}

void Game::DrawPausedFrame() {
    DrawScene(false);
}

void Game::DrawScene(bool live) {
    SDL_FillRect(screen, nullptr, 0);
    if (live) {
        ScrollBackground();
    } else {
        // The offset the last drawn frame used; the scroll stands still.
        DrawBackground(((int)scrollOffset + kScreenWidth - 1) % kScreenWidth);
    }
    if (showLevelImage) {
        Blit(levelImage, 200, 100);
    }
    if (paused) {
        Blit(pausedImage, 200, 100);
    }
    DrawText(screen, font, 5, 10, "Score: %d", ship.score);
    DrawText(screen, font, 40, 460, "Programmed by Zelvrin");
    DrawText(screen, font, 100, 10, "Level: %d", level.levelNumber);
    DrawText(screen, font, 580, 10, "Lives: %d", ship.lives);
    DrawText(screen, font, 220, 460, "Music by Quobarth");
    DrawText(screen, font, 400, 460, "Sprites by Ilmendae");
    DrawSprite(ship.sprite, live);
    if (boss.active == 1) {
        DrawSprite(boss.sprite, live);
    }
    DrawLane(shots.laneA, shots.activeA, live);
    DrawLane(shots.laneB, shots.activeB, live);
    DrawLane(shots.laneC, shots.activeC, live);
    DrawLane(enemies.sprites, enemies.active, live);
    if (quit || gameOver) {
        Blit(gameOverImage, 10, 30);
    }
    PresentFrame();
}

void Game::ScrollBackground() {
    DrawBackground((int)scrollOffset);
    scrollOffset += 1.0f;
    // Every full turn of the background is one screen of distance flown.
    if (scrollOffset >= 640.0f) {
        ship.distance += 1;
        scrollOffset -= 640.0f;
    }
}

void Game::DrawBackground(int o) {
    // Background columns o..639 go to screen columns 0..639-o; columns 0..o-1
    // follow from screen column 639-o, covering the first piece's last column
    // and leaving screen column 639 black whenever o is 1 or more.
    BlitPart(background, 0, 0, kScreenWidth - o, kScreenHeight, o, 0);
    BlitPart(background, 639 - o, 0, kScreenWidth - (kScreenWidth - o), kScreenHeight, 0, 0);
}
