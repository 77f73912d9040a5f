#pragma once
// The start-up sequence of the main window's first showing, its steps in their fixed order.
// An error ends the sequence at its step and propagates (to the general error handler); a
// stored database location naming no file ends the program through TfrmMain::requestExit.
namespace tarvo {

class TfrmMain;

void runStartupSequence(TfrmMain &main);

} // namespace tarvo
