#pragma once
// What the editor's tests hold its text and colours against.
#include <QString>
#include <QTextBlock>
#include <QTextDocument>

#include "platform/richtext/linechunks.h"
#include "platform/richtext/richtextbox.h"

namespace kavrin::test {

// The document's own text with CR LF breaks; the pieces of a long line joined again.
inline QString documentText(const RichTextBox& box) {
    QString text;
    for (QTextBlock b = box.document()->firstBlock(); b.isValid(); b = b.next()) {
        text += b.text();
        if (b.next().isValid() && !continuesLine(b.next())) text += QStringLiteral("\r\n");
    }
    return text;
}

inline constexpr int kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x008000;

}  // namespace kavrin::test
