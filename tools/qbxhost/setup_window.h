// The host's settings command: shows the module's settings dialog until the user closes it,
// or walks through every page and roll-out of it and saves a picture of each (Windows only).
#pragma once

#include <ostream>
#include <string>

namespace qbxhost {

class Host;

// Calls TBP_Setup and pumps the messages until the dialog is hidden. 1 when the module shows
// no dialog (as natively, where none exists).
int runSetup(Host& host, std::ostream& err);
// Calls TBP_Setup, then opens each tab page and each roll-out in turn and saves the window as
// folder/NN-name.png; closes the dialog. 1 when there is no dialog or a picture failed.
int takeScreenshots(Host& host, const std::string& folder, std::ostream& out, std::ostream& err);

}  // namespace qbxhost
