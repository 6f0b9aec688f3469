#pragma once
// A picture of the explorer window for machines without a display: the
// window opens a store, waits until the load has ended and the first
// message is shown, and saves itself as a PNG.

#include <string>

namespace quenby {

class TTriForm;

// Waits at most limitMs for window's load and first message, then saves
// the window to file. Returns the failure's text, or empty.
std::string SaveWindowPicture(TTriForm& window, const std::string& file, int limitMs = 30000);

}  // namespace quenby
