#include "replay/session.h"

#include "game/game.h"
#include "replay/replay_digest.h"

ReplaySession session;

ReplayEnd CurrentEnd() {
    ReplayEnd end;
    end.score = ship.score;
    end.lives = ship.lives;
    end.level = level.levelNumber;
    end.frame = FrameChecksum(screen);
    end.iterations = session.iterations;
    return end;
}
