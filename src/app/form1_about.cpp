#include "app/form1.h"

#include "about/frmabout.h"

// The about window is made on first use and kept; each opening loads it afresh. It is shown
// with no owner, modal for the whole application, so this window takes no input meanwhile.
void Form1::mnuAbout_Click()
{
    if (!m_about)
        m_about = std::make_unique<frmAbout>(this);
    m_about->showModal();
}
