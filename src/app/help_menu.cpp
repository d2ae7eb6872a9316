// The Help menu: the help text beside the program, the maker's web page, the About box.
#include "about/frm_about.h"
#include "about/maker.h"
#include "about/shell_open.h"
#include "app/form1.h"
#include "platform/app_info.h"

void Form1::MNU_HELP_HELP_Click() { shellOpen(App::Path() + "/help.txt"); }

void Form1::MNU_WEB_Click() { shellOpen(makerWebAddress); }

// One About box serves every time it is asked for.
void Form1::MNU_ABOUT_Click() {
    if (!aboutBox_)
        aboutBox_ = new frmAbout(this);
    aboutBox_->showModal();
}
