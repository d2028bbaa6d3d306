// folbrin: shows a disc image's tracks, sectors and sector dumps. No command line.
#include "disc_manager/disc_form.h"
#include "disc_manager/disc_manager_globals.h"
#include "disc_manager/hex_form.h"
#include "platform_qt/guarded.h"

int main(int argc, char** argv) {
    platform_qt::GuardedApplication app(argc, argv);
    try {
        TDiscForm discForm;
        THexForm hexForm;
        DiscForm = &discForm;
        HexForm = &hexForm;
        discForm.show();
        app.exec();
        DiscForm = nullptr;
        HexForm = nullptr;
    } catch (const std::exception& error) {
        platform_qt::ShowException(nullptr, error);
    }
    return 0;
}
