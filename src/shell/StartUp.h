#pragma once

#include "platform/Listeners.h"

#include <memory>
#include <vector>

class TDatas;
class TGripGame;

// What the debug form does once its components exist (FormCreate): open the song, load the six
// picture files, fill the registries, build the game with its effects and connect it to the
// grip ball and the tick. A failure ends it at that step and is raised; whatever was built
// stays, so the program can keep running on it.
class TStartUp {
public:
    explicit TStartUp(TDatas& form);
    ~TStartUp();
    TStartUp(const TStartUp&) = delete;
    TStartUp& operator=(const TStartUp&) = delete;

    void FormCreate();
    void OpenSong();
    void LoadImages();

    // Game objects live on the layers: the game goes before them, and nothing refers to it
    // any more.
    void DestroyGame();

    // None before the game is built, and none if start-up ended before it.
    TGripGame* Game() const { return game_.get(); }
    bool Complete() const { return complete_; }

private:
    TDatas& form_;
    std::unique_ptr<TGripGame> game_;
    std::vector<TSubscription> following_;
    bool complete_ = false;
};
