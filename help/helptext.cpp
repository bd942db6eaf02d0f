#include "help/helptext.h"

namespace kerulo {

// The lines break where the stored text breaks, in the middle of words, and the ASCII quotes
// and commas of the second and third lines are as stored, not full-width.
QStringList helpTextLines() {
    return {
        QStringLiteral("一、Kerulo软件的用途"),
        QStringLiteral("    此软件暂起名为\"Kerulo\",意在通过此程序,使得多媒"),
        QStringLiteral("体教学过程中,教师能通过光标移动抓住学生的注意焦点，不"),
        QStringLiteral("再需要费力的晃动小小的光标去示意在这里，在那里，从而"),
        QStringLiteral("轻松的进行你的教学讲解。是教师或演讲者的好帮手。"),
        QString(),
        QStringLiteral("二、Kerulo软件的功能"),
        QStringLiteral("    光标特效软件主要包括三大功能：鼠标指针图像效果、"),
        QStringLiteral("鼠标指针光照效果以及电子笔。"),
        QString(),
        QStringLiteral("三、使用方法"),
        QStringLiteral("    使用方法特别简单，只有Esc、F7、F8三个快捷键，一"),
        QStringLiteral("用就会。"),
    };
}

} // namespace kerulo
