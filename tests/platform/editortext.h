#pragma once
// What the editor's tests hold its text and colours against.
#include <QString>
#include <QTextDocument>

#include "platform/richtextbox.h"

namespace kavrin::test {

// The document's own text with CR LF breaks.
inline QString documentText(const RichTextBox& box) {
    QString raw = box.document()->toRawText();
    return raw.replace(QChar(0x2029), QStringLiteral("\r\n"));
}

inline constexpr int kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x008000;

}  // namespace kavrin::test
