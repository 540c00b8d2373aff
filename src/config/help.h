#pragma once
// The help window: a read-only text, a link to the support page and a Close button. It holds no
// state and touches no setting.
#include <string>

#include "config/form.h"

namespace hg {

const FormLayout& HelpLayout();
// The text of Text1, its lines joined by carriage return and line feed.
std::string HelpText();

class Help : public Form {
  public:
    Help(FormControls& controls, DialogHost& host);

    // Fills the text box.
    void Load();

    void Command1_Click();
    void cmdOnlineHelp_Click();
};

}  // namespace hg
