#pragma once
// What happened in the game, as the rules tell it to the world around them.
// The rules call ReportEvent at the moment an event happens, once per
// occurrence, and never read anything back; the report goes on through the
// seams (GameHooks::eventReported) to the sound effects.

enum class GameEvent {
    ShotFired,      // a player shot left the ship
    EnemyHit,       // a shot hurt an enemy that lives on
    EnemyDestroyed, // a shot destroyed an enemy (every further shot that frame again)
    BossHit,        // a shot hurt the boss that lives on
    BossDestroyed,  // a shot destroyed the boss
    LifeLost,       // an enemy or the boss rammed the ship
    GameOver,       // the last life was lost
    NewGame,        // N after a game over began a new game
    MenuMove,       // the title menu's cursor moved
    MenuChoose,     // a title menu item was chosen
};
constexpr int kGameEventCount = 10;

void ReportEvent(GameEvent event);
