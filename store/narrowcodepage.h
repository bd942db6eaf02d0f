#pragma once

#include <QByteArray>
#include <QString>

namespace kerulo {

/// The platform's narrow (ANSI) code page, in which the windows keep their texts: UTF-8 on
/// Linux, the system code page on Windows (GBK on simplified-Chinese systems).
class NarrowCodePage {
public:
    /// The text in the narrow code page; characters it cannot hold are lost as the platform
    /// decides.
    static QByteArray fromUnicode(const QString& text);
    static QString toUnicode(const QByteArray& narrow);
};

} // namespace kerulo
