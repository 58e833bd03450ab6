#include "ui/placeholder_window.h"

int main(int argc, char** argv) { return ui::RunPlaceholderWindow(argc, argv); }
