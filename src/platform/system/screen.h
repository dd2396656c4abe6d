#pragma once
// Screen units, the busy pointer and letting pending events run.
#include <climits>
#include <cstddef>
#include <functional>

class QObject;

namespace kavrin {

// Windows sizes are given in twips; this screen has 15 twips per pixel. Values may come from a
// damaged settings file, so the sums are made in 64 bits and a result past the range of int is
// held at its end instead of wrapping round.
constexpr int kTwipsPerPixel = 15;
constexpr int twipsToPixels(int twips) {
    return int((static_cast<long long>(twips) + (twips >= 0 ? 7 : -7)) / kTwipsPerPixel);
}
constexpr int pixelsToTwips(int pixels) {
    const long long twips = static_cast<long long>(pixels) * kTwipsPerPixel;
    return twips > INT_MAX ? INT_MAX : twips < INT_MIN ? INT_MIN : int(twips);
}

// Shows or clears the hourglass; calls do not nest (the last one wins).
void setBusy(bool busy);
bool isBusy();
// Lets pending window messages run, the user's own input aside.
void doEvents();

// Runs `step` with 0, 1, ... count - 1, the first at once and each later one in a turn of its own
// of the event loop, so that the user's keys and clicks run between them and nothing waits in a
// nested loop; while a modal window is open the steps wait for it. A step returns false to stop.
// `done` runs once after the last step (or the one that stopped); when `owner` goes first the
// run ends without it.
void runInTurns(QObject* owner, std::ptrdiff_t count, std::function<bool(std::ptrdiff_t)> step,
                std::function<void()> done = {});
// How many such runs have steps still to come.
int runsInTurns();

}  // namespace kavrin
