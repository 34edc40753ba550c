#include "app/form1.h"

#include "about/frmabout.h"

// The about window is made on first use and kept; each opening loads it afresh. It is shown
// with no owner, modal for the whole application, so this window takes no input meanwhile.
void Form1::mnuAbout_Click()
{
    // A request queued behind the first, as a held key's repeat makes, finds the window open.
    if (m_about && m_about->isVisible())
        return;
    if (!m_about)
        m_about = std::make_unique<frmAbout>(this);
    m_about->showModal();
}
