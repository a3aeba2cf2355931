#include "QtWindowServices.h"

#include "Text.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include <unistd.h>
#include <cstdio>

namespace ui {

namespace {
constexpr unsigned kMbYesNo = 0x4;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr unsigned kMbIconExclamation = 0x30;
constexpr unsigned kMbIconMask = 0xF0;
constexpr unsigned kMbDefButton2 = 0x100;
constexpr unsigned kMbTopmost = 0x40000;

int answerOf(int pressed) {
    switch (pressed) {
        case QMessageBox::Yes: return kAnswerYes;
        case QMessageBox::No: return kAnswerNo;
        default: return kAnswerOk;
    }
}
}  // namespace

std::unique_ptr<QMessageBox> QtWindowServices::makeMessageBox(QWidget* owner,
                                                              const std::string& text,
                                                              const std::string& title,
                                                              BoxType boxType) {
    auto box = std::make_unique<QMessageBox>(owner);
    box->setWindowTitle(toQString(title));
    box->setText(toQString(text));
    box->setTextFormat(Qt::PlainText);
    box->setObjectName(QStringLiteral("messageBox"));
    const unsigned type = static_cast<unsigned>(boxType);
    const unsigned icon = type & kMbIconMask;
    box->setIcon(icon == kMbIconQuestion      ? QMessageBox::Question
                 : icon == kMbIconExclamation ? QMessageBox::Warning
                                              : QMessageBox::NoIcon);
    if (type & kMbYesNo) {
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton((type & kMbDefButton2) ? QMessageBox::No : QMessageBox::Yes);
        box->setEscapeButton(QMessageBox::No);
        // The station's users read Russian, whatever translations the machine has.
        box->button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
        box->button(QMessageBox::No)->setText(QStringLiteral("Нет"));
    } else {
        box->setStandardButtons(QMessageBox::Ok);
        box->setDefaultButton(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Ok);
    }
    if (type & kMbTopmost) box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    return box;
}

int QtWindowServices::messageBox(QWidget* owner, const std::string& text, const std::string& title,
                                 BoxType boxType) {
    return answerOf(makeMessageBox(owner, text, title, boxType)->exec());
}

void QtWindowServices::engineErrorBox(const std::string& text) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QApplication::applicationDisplayName());
    box.setText(toQString(text));
    box.setTextFormat(Qt::PlainText);
    box.setObjectName(QStringLiteral("engineErrorBox"));
    box.setStandardButtons(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
}

void QtWindowServices::openDocument(const std::string& fileName) {
    QDesktopServices::openUrl(
        QUrl::fromLocalFile(QDir::current().absoluteFilePath(toQString(fileName))));
}

void QtWindowServices::endProcess(int status) {
    std::fflush(nullptr);
    // At once: no handler further up runs on and no destructor of the open dialogs runs.
    _exit(status);
}

}  // namespace ui
