#include "app/ToolBoxApplication.h"

int main(int argc, char* argv[]) { return ToolBoxApplication::Main(argc, argv); }
