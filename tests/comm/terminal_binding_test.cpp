// The terminal binding on real edit controls: key events typed with QTest,
// bytes arriving from the far end of a pseudo-terminal.
#include "comm/terminal_binding.h"

#include "tests/comm/port_fixture.h"
#include "tests/comm/pump_until.h"

#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

using namespace comm;
using comm_test::PumpFor;
using comm_test::PumpUntil;

// An edit control that records the key presses it handles.
class RecordingMemo : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;
    QStringList typed;

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        typed << e->text();
        QPlainTextEdit::keyPressEvent(e);
    }
};

class TerminalTest : public comm_test::PortTest {
protected:
    void SetUp() override
    {
        PortTest::SetUp();
        fWindow = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(fWindow.get());
        fEdit = new QLineEdit(fWindow.get());
        fMemo = new RecordingMemo(fWindow.get());
        layout->addWidget(fEdit);
        layout->addWidget(fMemo);
        fWindow->show();
        fEdit->setFocus();
    }
    void TearDown() override
    {
        com.reset();
        fWindow.reset();
        PortTest::TearDown();
    }

    void Bind(QWidget* control, TTerminalUsage usage, bool echo)
    {
        com->SetTerminal(control);
        com->SetTerminalUsage(usage);
        com->SetTerminalEcho(echo);
    }

    // What arrives at the far end within a short wait.
    std::string FarReads(std::uint32_t ms = 200) { return Far().Read(ms); }

    std::unique_ptr<QWidget> fWindow;
    QLineEdit* fEdit = nullptr;
    RecordingMemo* fMemo = nullptr;
};

TEST_F(TerminalTest, TypingSendsAndEchoDecidesWhetherTheControlShowsIt)
{
    OpenOrFail();
    Bind(fEdit, tuBoth, false);
    QTest::keyClick(fEdit, 'A');
    EXPECT_EQ(Far().ReadExactly(1, 2000), "A");
    EXPECT_EQ(fEdit->text(), "") << "without echo the character goes only to the port";

    com->SetTerminalEcho(true);
    QTest::keyClick(fEdit, 'B');
    EXPECT_EQ(Far().ReadExactly(1, 2000), "B");
    EXPECT_EQ(fEdit->text(), "B");

    // Keys the control edits with go out as their characters too.
    QTest::keyClick(fEdit, Qt::Key_Backspace);
    QTest::keyClick(fEdit, Qt::Key_Return);
    EXPECT_EQ(Far().ReadExactly(2, 2000), "\b\r");
    EXPECT_EQ(fEdit->text(), "");
    // Keys without a character (arrows, Shift) are the control's alone.
    QTest::keyClick(fEdit, Qt::Key_Left);
    QTest::keyClick(fEdit, Qt::Key_Shift);
    EXPECT_EQ(FarReads(), "");
}

TEST_F(TerminalTest, TypedLatin1GoesOutAsItsByteAndWiderCharactersNotAtAll)
{
    OpenOrFail();
    Bind(fEdit, tuSend, false);
    QTest::sendKeyEvent(QTest::Click, fEdit, Qt::Key_Eacute, QString(QChar(0xE9)), Qt::NoModifier);
    EXPECT_EQ(Far().ReadExactly(1, 2000), "\xE9");
    QTest::sendKeyEvent(QTest::Click, fEdit, Qt::Key_unknown, QString::fromUtf8("\xD0\xB6"), Qt::NoModifier);
    EXPECT_EQ(FarReads(), "") << "a character beyond U+00FF has no byte";
    EXPECT_EQ(fEdit->text(), "");
}

TEST_F(TerminalTest, ReceiveOnlyShowsTypingAsUsualAndInsertsAtTheCaret)
{
    OpenOrFail();
    Bind(fEdit, tuReceive, false);
    QTest::keyClicks(fEdit, "hello");
    EXPECT_EQ(fEdit->text(), "hello");
    EXPECT_EQ(FarReads(), "") << "typing is not sent";
    fEdit->setCursorPosition(2);
    Far().Write("XY");
    ASSERT_TRUE(PumpUntil([&] { return fEdit->text() == "heXYllo"; })) << fEdit->text().toStdString();
    EXPECT_EQ(fEdit->cursorPosition(), 4);
    // A selection is replaced.
    fEdit->setSelection(0, 2);
    Far().Write("--");
    ASSERT_TRUE(PumpUntil([&] { return fEdit->text() == "--XYllo"; })) << fEdit->text().toStdString();
}

TEST_F(TerminalTest, SendOnlyWritesNothingIntoTheControl)
{
    received.Attach(*com);
    OpenOrFail();
    Bind(fEdit, tuSend, false);
    Far().Write("abc");
    ASSERT_TRUE(PumpUntil([&] { return received.Bytes() == "abc"; }));
    EXPECT_EQ(fEdit->text(), "");
}

TEST_F(TerminalTest, OneByteArrivesTypedLongerChunksAsTextSplitAtZeroBytes)
{
    received.Attach(*com);
    OpenOrFail();
    Bind(fMemo, tuBoth, false);
    QStringList changes;
    QObject::connect(fMemo, &QPlainTextEdit::textChanged, [&] { changes << fMemo->toPlainText(); });

    Far().Write("Q");
    ASSERT_TRUE(PumpUntil([&] { return fMemo->toPlainText() == "Q"; }));
    EXPECT_EQ(fMemo->typed, QStringList{"Q"}) << "a one-byte chunk is a typed character";
    EXPECT_EQ(FarReads(), "") << "and what the component types itself is not sent back";

    fMemo->typed.clear();
    changes.clear();
    Far().Write(std::string("ab\0cd", 5));
    ASSERT_TRUE(PumpUntil([&] { return received.Size() == 6; }));
    EXPECT_EQ(fMemo->toPlainText(), "Qabcd");
    EXPECT_EQ(changes, (QStringList{"Qab", "Qabcd"})) << "two insertions, the zero byte not shown";
    EXPECT_TRUE(fMemo->typed.isEmpty()) << "longer chunks are inserted as text";
}

TEST_F(TerminalTest, BytesWidenToTheSameCodePoints)
{
    received.Attach(*com);
    OpenOrFail();
    Bind(fEdit, tuReceive, false);
    Far().Write("\xE9\xFF\x80");
    ASSERT_TRUE(PumpUntil([&] { return received.Size() == 3; }));
    EXPECT_EQ(fEdit->text(), QString(QChar(0xE9)) + QChar(0xFF) + QChar(0x80));
    Far().Write("\xE9");
    ASSERT_TRUE(PumpUntil([&] { return fEdit->text().size() == 4; }));
    EXPECT_EQ(fEdit->text().back(), QChar(0xE9)) << "typed as one character too";
}

TEST_F(TerminalTest, AReceivedCarriageReturnNeverPressesADialogsButton)
{
    QDialog dialog;
    auto* edit = new QLineEdit(&dialog);
    auto* ok = new QPushButton("OK", &dialog);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(edit);
    layout->addWidget(ok);
    dialog.show();
    received.Attach(*com);
    OpenOrFail();
    Bind(edit, tuReceive, false);
    for (const char* byte : {"\r", "\x1b"}) {
        const std::size_t before = received.Size();
        Far().Write(byte);
        ASSERT_TRUE(PumpUntil([&] { return received.Size() == before + 1; }));
        PumpFor(50);
        EXPECT_TRUE(dialog.isVisible()) << int(byte[0]);
        EXPECT_EQ(dialog.result(), 0);
    }
}

TEST_F(TerminalTest, ReceivedBytesReachTheControlWhenProcessedOffTheGuiThread)
{
    com->SetUseMainThread(false);
    received.Attach(*com);
    OpenOrFail();
    Bind(fEdit, tuReceive, false);
    Far().Write("threads");
    ASSERT_TRUE(PumpUntil([&] { return fEdit->text() == "threads"; })) << fEdit->text().toStdString();
    EXPECT_TRUE(received.NoneOnGuiThread());
}

TEST_F(TerminalTest, UnbindingGivesTheControlItsTypingBack)
{
    OpenOrFail();
    Bind(fEdit, tuBoth, false);
    QTest::keyClick(fEdit, 'x');
    EXPECT_EQ(Far().ReadExactly(1, 2000), "x");
    EXPECT_EQ(fEdit->text(), "");
    com->SetTerminal(nullptr);
    QTest::keyClick(fEdit, 'y');
    EXPECT_EQ(fEdit->text(), "y");
    EXPECT_EQ(FarReads(), "");
    Far().Write("zz");
    PumpFor(200);
    EXPECT_EQ(fEdit->text(), "y") << "nothing is written into a released control";
}

TEST_F(TerminalTest, TheControlIsToldWhichComponentItServes)
{
    struct Listener : QLineEdit {
        QList<QObject*> notices;
        bool event(QEvent* e) override
        {
            if (e->type() == TcmTerminalNotice::EventType())
                notices << static_cast<TcmTerminalNotice*>(e)->Component.data();
            return QLineEdit::event(e);
        }
    } control;
    com->SetTerminal(&control);
    com->SetTerminal(nullptr);
    EXPECT_EQ(control.notices, (QList<QObject*>{com.get(), nullptr}));
}

TEST_F(TerminalTest, TheBindingSurvivesLoading)
{
    com->BeginLoading();
    com->SetActive(true);
    com->SetTerminal(fEdit);
    com->SetTerminalUsage(tuBoth);
    com->SetTerminalEcho(true);
    EXPECT_EQ(com->DeviceHandle(), platform::kInvalidHandle) << "the port opens when loading ends";
    com->Loaded();
    ASSERT_TRUE(com->Active());
    QTest::keyClick(fEdit, 'L');
    EXPECT_EQ(Far().ReadExactly(1, 2000), "L");
    EXPECT_EQ(fEdit->text(), "L");
    Far().Write("oaded");
    ASSERT_TRUE(PumpUntil([&] { return fEdit->text() == "Loaded"; })) << fEdit->text().toStdString();
}

TEST_F(TerminalTest, DesigningABindingTurnsItOnBothWays)
{
    com->SetDesigning(true);
    com->SetTerminal(fEdit);
    EXPECT_EQ(com->TerminalUsage(), tuBoth);
    com->SetDesigning(false);
}

TEST_F(TerminalTest, AControlThatGoesAwayLeavesAWorkingPort)
{
    received.Attach(*com);
    OpenOrFail();
    Bind(fMemo, tuBoth, false);
    delete fMemo;
    fMemo = nullptr;
    EXPECT_EQ(com->Terminal(), nullptr);
    Far().Write("still");
    ASSERT_TRUE(PumpUntil([&] { return received.Bytes() == "still"; }));
}

TEST_F(TerminalTest, DestroyingTheComponentRestoresTyping)
{
    OpenOrFail();
    Bind(fEdit, tuBoth, false);
    com.reset();
    QTest::keyClick(fEdit, 'k');
    EXPECT_EQ(fEdit->text(), "k");
}

} // namespace
