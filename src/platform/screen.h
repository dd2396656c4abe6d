#pragma once
// Screen units, the busy pointer and letting pending events run.
namespace kavrin {

// Windows sizes are given in twips; this screen has 15 twips per pixel.
constexpr int kTwipsPerPixel = 15;
constexpr int twipsToPixels(int twips) { return (twips + (twips >= 0 ? 7 : -7)) / kTwipsPerPixel; }
constexpr int pixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }

// Shows or clears the hourglass; calls do not nest (the last one wins).
void setBusy(bool busy);
bool isBusy();
// Lets pending window messages run.
void doEvents();

}  // namespace kavrin
