#include "game/events.h"
#include "game/game.h"
#include "game/pacer.h"
#include "game/report.h"
#include "game/seams.h"

void Game::RunTitle() {
    BeginTitle();
    FramePacer pacer;
    while (titleRunning == 1) {
        TitleIteration(pacer);
    }
    EndTitle();
}

void Game::BeginTitle() {
    if (hooks.playSong != nullptr) {
        hooks.playSong(titleSong);
    }
}

void Game::TitleIteration(FramePacer &pacer) {
    TitleStep();
    pacer.Wait();
}

void Game::EndTitle() {
    if (hooks.stopSong != nullptr) {
        hooks.stopSong(titleSong);
    }
}

void Game::TitleStep() {
    while (PollEvent(&event)) {
        HandleTitleEvent();
    }
    DrawTitle();
}

void Game::HandleTitleEvent() {
    if (event.type == SDL_QUIT) {
        titleRunning = 0;
        return;
    }
    if (event.type != SDL_KEYDOWN) {
        return;
    }
    SDLKey key = event.key.keysym.sym;
    if (key == SDLK_ESCAPE) {
        titleRunning = 0;
    }
    // The menu state is the cursor's y alone; it only ever holds the three
    // item positions, so exact comparisons are safe.
    float y = cursor.GetY();
    if (key == SDLK_UP) {
        ReportEvent(GameEvent::MenuMove);
        if (y == kMenuStartY) {
            cursor.SetY(kMenuQuitY);
        } else if (y == kMenuQuitY) {
            cursor.SetY(kMenuDifficultyY);
        } else if (y == kMenuDifficultyY) {
            cursor.SetY(kMenuStartY);
        }
    }
    if (key == SDLK_DOWN) {
        ReportEvent(GameEvent::MenuMove);
        if (y == kMenuStartY) {
            cursor.SetY(kMenuDifficultyY);
        } else if (y == kMenuDifficultyY) {
            cursor.SetY(kMenuQuitY);
        } else if (y == kMenuQuitY) {
            cursor.SetY(kMenuStartY);
        }
    }
    if (key == SDLK_RETURN) {
        ReportEvent(GameEvent::MenuChoose);
        y = cursor.GetY();
        if (y == kMenuStartY) {
            titleRunning = 0;
            gameOver = 0;
            quit = 0;
        }
        if (y == kMenuDifficultyY) {
            difficulty += 1;
            if (difficulty == 3) {
                difficulty = 0;
            }
        }
        if (y == kMenuQuitY) {
            titleRunning = 0;
        }
    }
}

void Game::DrawTitle() {
    SDL_FillRect(screen, nullptr, 0);
    Blit(titleImage, 0, 0);
    if (difficulty >= 0 && difficulty < 3) {
        Blit(difficultyImage[difficulty], 300, 362);
    }
    cursor.Draw();
    PresentFrame();
}
