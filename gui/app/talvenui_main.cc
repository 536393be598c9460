#include "gui/app/app.h"

int main(int argc, char** argv) { return quillon::gui::RunTalvenUi(argc, argv); }
