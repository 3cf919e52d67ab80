// Talewick's start-up, as the program does it, up to the first exposed main window.
#include "about_box/taboutbox.h"
#include "app/guarded_application.h"
#include "main_window/tform1.h"
#include "startup_report.h"

int main(int argc, char *argv[])
{
    GuardedApplication application(argc, argv);
    TForm1 form;
    TAboutBox aboutBox;
    AboutBox = &aboutBox;
    form.show();
    return reportExposed(&form);
}
