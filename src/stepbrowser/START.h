#pragma once
// Varnok's start: the back colour, then the main window, whose loading does
// the rest.
namespace stepbrowser {
class frmMain;
}

namespace stepbrowser::START {

// Makes the main window, keeps it and shows it; a window kept from an
// earlier call is deleted first.
void Main();
// The kept main window (nullptr before Main).
frmMain* MainWindow();
// Deletes the kept window.
void DropMainWindow();

}  // namespace stepbrowser::START
