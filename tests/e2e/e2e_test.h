#pragma once

#include "e2e/form1_screen.h"
#include "e2e/xsession.h"

#include <QObject>

#include <memory>
#include <optional>

// One X session for a test class, and the program started afresh for every test function.
class E2eTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

protected:
    // Runs once before the session starts.
    virtual void prepare() {}

    std::unique_ptr<XSession> m_x;
    std::optional<Form1Screen> m_form;
};
