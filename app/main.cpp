#include "ui/demo_window.h"

int main(int argc, char** argv) { return ui::RunDemoWindow(argc, argv); }
