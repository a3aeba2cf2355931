// Whatever reaches the panel's entry field, typed or pasted, the sign-in takes it as the number:
// at most 100 characters, every character in CP1251 (one "?" for each that has no form there),
// a pasted text up to its first line end, as a one-line field of the station's window system
// takes it.
#include "Cp1251.h"
#include "MainPanelDialog.h"
#include "MessageCatalogue.h"
#include "PasswordState.h"
#include "Station.h"
#include "Text.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <optional>

namespace {

void type(QLineEdit* field, const QString& text) {
    // Key by key, with the text a keyboard layout would give (QTest knows only Latin keys).
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
    }
}

void paste(QLineEdit* field, const QString& text) {
    QApplication::clipboard()->setText(text);
    QTest::keySequence(field, QKeySequence::Paste);
}

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

struct TypedRow {
    const char* name;
    std::function<void(QLineEdit*)> enter;
    std::string recordBook;             // CP1251, as the sign-in takes it
    bool blank;                         // OK does nothing at all
    std::optional<std::string> record;  // db1.out, UTF-8; nullopt: not found
};

TEST(TypedText, SignInTakesTheFieldAsTheStationsFieldWouldHoldIt) {
    const std::string found12345 = "Иванов Иван Иванович\r\n1\r\nГруппа 1\r\n12345\r\n3\r\n12\r\n";
    // clang-format off
    const TypedRow rows[] = {
        {"120 digits typed", [](QLineEdit* f) { type(f, QString(120, '7')); },
         std::string(100, '7'), false, std::nullopt},
        {"150 characters pasted", [](QLineEdit* f) { paste(f, QString(150, 'a')); },
         std::string(100, 'a'), false, std::nullopt},
        {"a number pasted", [](QLineEdit* f) { paste(f, utf8("ЗК-2024/5")); },
         cp1251::fromUtf8("ЗК-2024/5"), false,
         "Кузнецов Дмитрий\r\n5\r\nГруппа 2Б\r\nЗК-2024/5\r\n1\r\n10\r\n"},
        {"a number pasted with its line end", [](QLineEdit* f) { paste(f, "12345\r\n"); },
         "12345", false, found12345},
        {"two lines pasted", [](QLineEdit* f) { paste(f, "12345\nab12\n"); },
         "12345", false, found12345},
        {"a line end pasted before typed text",
         [](QLineEdit* f) {
             type(f, "9");
             f->home(false);
             paste(f, "0078\r\nmore");
         },
         "00789", false, "Ёлкина Алёна\r\n4\r\nВыходного дня\r\n00789\r\n17\r\n6\r\n"},
        {"a character with no CP1251 form typed", [](QLineEdit* f) { type(f, utf8("ab12中")); },
         "ab12?", false, std::nullopt},
        {"a character outside the basic plane pasted", [](QLineEdit* f) { paste(f, utf8("ab1😀")); },
         "ab1?", false, std::nullopt},
        {"CP1251 letters typed in another case", [](QLineEdit* f) { type(f, utf8("зк-2024/5")); },
         cp1251::fromUtf8("зк-2024/5"), false,
         "Кузнецов Дмитрий\r\n5\r\nГруппа 2Б\r\nзк-2024/5\r\n1\r\n10\r\n"},
        {"a tab pasted inside", [](QLineEdit* f) { paste(f, "123\t45"); },
         "123\t45", false, std::nullopt},
        {"a control character pasted", [](QLineEdit* f) { paste(f, "12345\x01"); },
         "12345\x01", false, std::nullopt},
        {"control keys typed", [](QLineEdit* f) {
             for (const auto key : {Qt::Key_A, Qt::Key_B, Qt::Key_D})
                 QTest::keyClick(f, key, Qt::ControlModifier);
         },
         "", true, std::nullopt},
        {"only NUL pasted", [](QLineEdit* f) { paste(f, QString(2, QChar(0))); },
         std::string(2, '\0'), true, std::nullopt},
    };
    // clang-format on
    for (const TypedRow& row : rows) {
        SCOPED_TRACE(row.name);
        Station station;
        station.databaseFrom("jet/students_small.mdb");
        ScopedCwd cwd(station.folder());
        ui::RecordingServices services;
        const bool notFound = !row.blank && !row.record;
        if (notFound) services.answerOk();  // the box that the number is not there
        SignInState signIn;
        trainer::PasswordState password;
        panel::MainPanelDialog panel(services, signIn, password);
        panel.show();
        QApplication::processEvents();
        auto* field = panel.findChild<QLineEdit*>(QStringLiteral("recordBookEdit"));
        ASSERT_NE(field, nullptr);

        row.enter(field);
        QTest::mouseClick(panel.findChild<QPushButton*>(QStringLiteral("signInButton")),
                          Qt::LeftButton);

        EXPECT_EQ(signIn.recordBookText, row.recordBook);
        EXPECT_EQ(signIn.signInAttempted, !row.blank);
        EXPECT_EQ(station.file("vdm_out.txt"), std::nullopt);
        if (!notFound) {
            EXPECT_TRUE(services.boxes.empty());
        } else {
            ASSERT_EQ(services.boxes.size(), 1u);
            EXPECT_EQ(services.boxes[0].text, catalogue().slotTexts[slot::kStudentNotFound]);
        }
        EXPECT_EQ(station.file("db1.out"),
                  row.record ? std::optional(cp1251::fromUtf8(*row.record)) : std::nullopt);
    }
    QApplication::clipboard()->clear();
}

}  // namespace
