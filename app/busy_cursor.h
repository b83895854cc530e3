#pragma once

namespace kelvar {

// Shows the busy pointer for as long as it lives, so a handler that returns early or fails still
// gives the normal pointer back.
class BusyCursor {
  public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// Puts the normal arrow back for as long as it lives while a BusyCursor is active: a message box
// waits for a click, so it must not look busy.
class ArrowWhileBusy {
  public:
    ArrowWhileBusy();
    ~ArrowWhileBusy();
    ArrowWhileBusy(const ArrowWhileBusy&) = delete;
    ArrowWhileBusy& operator=(const ArrowWhileBusy&) = delete;

  private:
    bool pushed_;
};

}  // namespace kelvar
