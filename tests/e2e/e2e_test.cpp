#include "e2e/e2e_test.h"

#include <QTest>

void E2eTest::initTestCase()
{
    prepare();
    m_x = std::make_unique<XSession>();
    QVERIFY2(m_x->start(), qPrintable(m_x->errorString()));
}

void E2eTest::init()
{
    m_form = Form1Screen::start(*m_x);
    QVERIFY2(m_form, qPrintable(m_x->errorString()));
}

void E2eTest::cleanup()
{
    stopAfterTest(*m_x);
}

void E2eTest::cleanupTestCase()
{
    m_x.reset();
}
