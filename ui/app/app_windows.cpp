#include "ui/app/app_windows.h"

#include "ui/app/about_box.h"
#include "ui/app/config_form.h"
#include "ui/app/convert_form.h"
#include "ui/app/debug_form.h"
#include "ui/app/disc_saving.h"
#include "ui/app/floppy_form.h"
#include "ui/app/io_form.h"
#include "ui/app/tape_form.h"

#include "platform_qt/modal_windows.h"

#include <QCoreApplication>

namespace {

// Makes the window and stores it in its global.
template <class Form, class... Args> std::unique_ptr<Form> Create(Form*& global, Args&&... args) {
    auto form = std::make_unique<Form>(std::forward<Args>(args)...);
    global = form.get();
    return form;
}

// Clears the global, then destroys the window.
template <class Form> void Destroy(Form*& global, std::unique_ptr<Form>& form) {
    if (global == form.get()) global = nullptr;
    form.reset();
}

} // namespace

void CloseOnSignal() {
    // No one is there to answer: open dialogs and questions end unanswered,
    // and what cannot be saved is rescued.
    EndWithoutQuestions();
    platform_qt::RejectModalWindows();
    if (MainForm)
        MainForm->close();
    else
        QCoreApplication::exit(); // quit() acts only inside the application's own loop
}

TAppWindows::TAppWindows(const TMainFormSetup& setup) : Main(Create(MainForm, setup)) {
    try {
        Debug = Create(DebugForm);
        About = Create(AboutBox);
        IO = Create(IOForm);
        Config = Create(ConfigForm);
        Floppy = Create(FloppyForm);
        Tape = Create(TapeForm);
        Convert = Create(ConvertForm);
    } catch (...) {
        DestroyAll();
        throw;
    }
}

TAppWindows::~TAppWindows() { DestroyAll(); }

void TAppWindows::DestroyAll() {
    Destroy(ConvertForm, Convert);
    Destroy(TapeForm, Tape);
    Destroy(FloppyForm, Floppy);
    Destroy(ConfigForm, Config);
    Destroy(IOForm, IO);
    Destroy(AboutBox, About);
    Destroy(DebugForm, Debug);
    Destroy(MainForm, Main);
}
