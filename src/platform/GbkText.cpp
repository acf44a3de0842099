#include "platform/GbkText.h"

#include <QStringDecoder>
#include <QStringEncoder>

QString GbkToUnicode(std::string_view gbk)
{
    QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    QString text = decoder.decode(QByteArrayView(gbk.data(), static_cast<qsizetype>(gbk.size())));
    // The converter's table gives the stray byte 0xFF a private-use character, which shows
    // as nothing useful: it is a byte that does not decode like any other.
    text.replace(QChar(0xF8F5), QChar::ReplacementCharacter);
    // A NUL stands for a character GBK lacks (below); shown, it would vanish from sight and
    // travel on to the clipboard.
    text.replace(QChar(0), QChar::ReplacementCharacter);
    return text;
}

std::string UnicodeToGbk(const QString& text)
{
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    QByteArray whole = encoder.encode(text);
    if (!encoder.hasError())
        return std::string(whole.constData(), static_cast<std::size_t>(whole.size()));
    // Some character has no GBK form: go one character at a time to find which.
    std::string out;
    for (qsizetype i = 0; i < text.size();)
    {
        const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QStringEncoder one("GBK", QStringConverter::Flag::Stateless);
        const QByteArray bytes = one.encode(QStringView(text).mid(i, n));
        if (one.hasError())
            out.push_back('\0');
        else
            out.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        i += n;
    }
    return out;
}
