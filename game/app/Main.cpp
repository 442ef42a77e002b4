// The game program. It takes no arguments: everything it needs lies in the
// folders beside its own.
#include <SDL/SDL.h>
#include <cstdio>
#include <exception>
#include "base/FileUtils.h"
#include "base/Statistics.h"
#include "game/KIVGame.h"
#include "physics/world/GameSettings.h"
#include "render/Renderer.h"
#include "render/TextureLib.h"
#include "script/ScriptHost.h"
#include "script/ScriptTemplates.h"

using namespace KIV;

int main(int, char**)
{
    // The long-lived objects, in a fixed order: each may use those before it.
    // They are never destroyed: the process ends with them, and no exit-time
    // destructor can touch an object another one already freed.
    new Statistics;
    KIVGame& game = *new KIVGame;
    new ScriptTemplates(*new ScriptHost);
    game.mTextureLib = new TextureLib;
    new Renderer;
    game.mDataRoot = GetDataRootDirectory();

    if (!game.StartUp()) {
        std::fprintf(stderr, "Orlimbar: could not open the game window: %s\n", SDL_GetError());
        return 1;
    }
    int status = 0;
    try {
        status = game.RunMainLoop();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Assertion Failure!\n%s\n", e.what());
        status = 1;
    }
    SDL_Quit();
    return status;
}
