#include "app/ToolBoxApplication.h"

int main(int argc, char* argv[]) {
    ToolBoxApplication::ChoosePlatform();
    ToolBoxApplication app(argc, argv);
    return app.Run();
}
