#include "about_box/taboutbox.h"
#include "app/guarded_application.h"
#include "app/start_arguments.h"
#include "main_window/tform1.h"

#include <csignal>
#include <cstdio>

namespace {
// Without a display the toolkit would abort with its own message; say it plainly.
bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}
} // namespace

int main(int argc, char *argv[])
{
    if (!hasDisplay()) {
        std::fputs("Talewick needs a graphical desktop: no display is set (DISPLAY or WAYLAND_DISPLAY).\n", stderr);
        return 1;
    }
    // A file-size limit must fail the write, which the save reports, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    GuardedApplication application(argc, argv);
    const std::optional<StartArguments> arguments = StartArguments::read(application.arguments().mid(1));
    if (!arguments) {
        std::fputs("usage: talewick [--preview LINE FILE]\n", stderr);
        return 2;
    }

    TForm1 form; // runs FormCreate before the About box exists
    TAboutBox aboutBox;
    AboutBox = &aboutBox;

    form.show();
    if (!arguments->previewFile.isEmpty())
        form.previewScript(arguments->previewFile, arguments->previewLine - 1);
    application.exec();
    AboutBox = nullptr;
    return 0;
}
