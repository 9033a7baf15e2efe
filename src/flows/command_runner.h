#pragma once

#include <deque>
#include <functional>

namespace vantor {

struct ApplicationState;
struct Platform;

// How a desktop front end runs the program's commands from its event loop: one at a time; a
// command chosen while another runs (a menu item, a button, a command a flow posts) waits its
// turn in order; a request to close waits for the running command, drops what waits, and then
// ends the run; after each command the front end is told whether the map must be drawn anew.
// The front end supplies the drawing and the event loop through the hooks; what happens when is
// decided here, once for every front end.
class CommandRunner {
  public:
    struct Hooks {
        std::function<void()> schedule;      // call runPosted() soon from the event loop
        std::function<void(bool)> freezeMap; // true: the terrain may change under the map
        std::function<void(int)> afterWork;  // the command that ran: bring the view up to date
        std::function<void()> endRun;        // close the window and leave the event loop
    };

    CommandRunner(ApplicationState& state, const Platform& platform, Hooks hooks);

    // A command chosen: run now, or after the running one.
    void run(int command);
    // Work in a command's place (the desktop's Apply): the map frozen meanwhile, then the same
    // end as the command's.
    void runWork(int command, const std::function<void()>& work);
    // Platform::postCommand and Platform::postCloseRequest.
    void post(int command);
    void postClose();
    // From the event loop, after schedule(): the next command that waits.
    void runPosted();
    // The window's close box: true when it may close now (the close handled); false while a
    // command runs, the close then waiting for it.
    bool windowClosing();

    bool busy() const { return busy_; }
    bool closeRequested() const { return closeRequested_; }
    std::size_t waiting() const { return posted_.size(); }

  private:
    void close();

    ApplicationState& state_;
    const Platform& platform_;
    Hooks hooks_;
    std::deque<int> posted_; // 0: the close request
    bool busy_ = false;
    bool closeRequested_ = false;
};

// Whether the map must draw the terrain anew after the command: new terrain came in (another
// matrix block), or the command is one that changes the open terrain's posts.
bool redrawTerrainAfter(int command, bool newTerrain);

} // namespace vantor
