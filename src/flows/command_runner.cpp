#include "flows/command_runner.h"

#include "app/command_table.h"
#include "app/startup.h"
#include "flows/dispatcher.h"

#include <utility>

namespace vantor {

CommandRunner::CommandRunner(ApplicationState& state, const Platform& platform, Hooks hooks)
    : state_(state), platform_(platform), hooks_(std::move(hooks)) {}

void CommandRunner::run(int command) {
    if (busy_) {
        posted_.push_back(command);
        return;
    }
    runWork(command, [&] { dispatchCommand(state_, platform_, command); });
}

void CommandRunner::runWork(int command, const std::function<void()>& work) {
    busy_ = true;
    if (hooks_.freezeMap) {
        hooks_.freezeMap(true); // nothing reads the terrain while a command may change it
    }
    work();
    if (hooks_.freezeMap) {
        hooks_.freezeMap(false);
    }
    busy_ = false;
    if (hooks_.afterWork) {
        hooks_.afterWork(command);
    }
    if (!posted_.empty() && hooks_.schedule) {
        hooks_.schedule();
    }
}

void CommandRunner::post(int command) {
    posted_.push_back(command);
    if (hooks_.schedule) {
        hooks_.schedule();
    }
}

void CommandRunner::postClose() {
    post(0);
}

void CommandRunner::runPosted() {
    if (busy_ || posted_.empty()) {
        return;
    }
    const int command = posted_.front();
    posted_.pop_front();
    if (command == 0) {
        close();
        return;
    }
    run(command);
}

void CommandRunner::close() {
    if (closeRequested_) {
        return;
    }
    closeRequested_ = true;
    posted_.clear();
    handleCloseRequest(state_, platform_);
    if (hooks_.endRun) {
        hooks_.endRun();
    }
}

bool CommandRunner::windowClosing() {
    if (busy_) {
        posted_.push_back(0); // a running command ends first
        return false;
    }
    if (!closeRequested_) {
        closeRequested_ = true;
        handleCloseRequest(state_, platform_);
    }
    return true;
}

bool redrawTerrainAfter(int command, bool newTerrain) {
    if (newTerrain) {
        return true;
    }
    const CommandFacts* facts = commandFacts(command);
    return facts != nullptr && facts->changesTerrain;
}

} // namespace vantor
