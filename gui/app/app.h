#ifndef QUILLON_GUI_APP_APP_H_
#define QUILLON_GUI_APP_APP_H_

namespace quillon::gui {

// The program TALVENUI: claims the single-instance name "TalvenUI_EXE" (a second copy ends at
// once with 0, showing nothing), then runs the main menu over the system's settings store
// until it closes. Returns the process exit code. Call once, from main.
int RunTalvenUi(int argc, char** argv);

}  // namespace quillon::gui

#endif  // QUILLON_GUI_APP_APP_H_
