#include "text_recognition.h"

#include <unicode/uloc.h>

namespace {

// Fewer non-blank characters than this on a page: a page number or a stray mark of a scan.
constexpr int ScannedPageCharacters = 20;

// The tag or a tag it narrows down ("zh-yue" narrows "zh", "zh-hk" does not narrow "zh-h").
bool narrows(const QString& tag, const char16_t* const (&prefixes)[6]) {
    for (const char16_t* prefix : prefixes) {
        const QString known = QString::fromUtf16(prefix);
        if (tag == known || tag.startsWith(known + u'-'))
            return true;
    }
    return false;
}

// The language subtag of a tag in the recogniser's three-letter form, where it has one.
QString threeLetterLanguage(const QString& voiceLanguage) {
    const QString language = voiceLanguage.section(u'-', 0, 0).toLower();
    if (language.size() == 3)
        return language;
    // The recogniser's Norwegian data covers Bokmål.
    if (language == u"nb" || language == u"no")
        return QStringLiteral("nor");
    return QString::fromLatin1(uloc_getISO3Language(language.toLatin1().constData()));
}

// Writing without spaces between words: a line break inside it is no word break.
bool isSpacelessWriting(char32_t c) {
    if ((c >= 0x3000 && c <= 0x303f) || (c >= 0xff00 && c <= 0xffef))
        return true; // the ideographic punctuation and the full-width forms
    switch (QChar::script(c)) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
    case QChar::Script_Bopomofo:
        return true;
    default:
        return false;
    }
}

char32_t lastCharacter(const QString& text) {
    const qsizetype size = text.size();
    if (size >= 2 && text[size - 1].isLowSurrogate() && text[size - 2].isHighSurrogate())
        return QChar::surrogateToUcs4(text[size - 2], text[size - 1]);
    return text.back().unicode();
}

} // namespace

QStringList recognitionLanguages(const QString& voiceLanguage, const QStringList& installed) {
    const QString english = QStringLiteral("eng");
    const QString language = voiceLanguage.toLower();
    // Cantonese and the regions that write traditional characters first: they narrow "zh".
    if (narrows(language, {u"yue", u"zh-yue", u"zh-hant", u"zh-tw", u"zh-hk", u"zh-mo"}))
        return {QStringLiteral("chi_tra"), english};
    if (language.isEmpty() ||
        narrows(language, {u"cmn", u"zh-cmn", u"zh-hans", u"zh-cn", u"zh-sg", u"zh"}))
        return {QStringLiteral("chi_sim"), english};
    const QString own = threeLetterLanguage(language);
    if (own.isEmpty() || own == english || !installed.contains(own))
        return {english};
    return {own, english};
}

QString recognitionDataPackage(const QString& language) {
    return QStringLiteral("tesseract-ocr-") + QString(language).replace(u'_', u'-');
}

bool isScannedPage(const QString& extractedText) {
    int characters = 0;
    for (const QChar c : extractedText) {
        if (!c.isSpace() && !c.isLowSurrogate() && ++characters >= ScannedPageCharacters)
            return false;
    }
    return true;
}

QStringList extractedPages(const QString& extractedText) {
    QStringList pages = extractedText.split(u'\f');
    // What follows the last page's form feed is no page.
    if (pages.size() > 1 && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QString recognisedText(const QString& text) {
    QStringList paragraphs;
    QString paragraph;
    const auto endParagraph = [&] {
        if (!paragraph.isEmpty())
            paragraphs << paragraph;
        paragraph.clear();
    };
    for (const QString& rawLine : text.split(u'\n')) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty()) {
            endParagraph();
            continue;
        }
        if (!paragraph.isEmpty() && !isSpacelessWriting(lastCharacter(paragraph)) &&
            !isSpacelessWriting(line.toUcs4().constFirst()))
            paragraph += u' ';
        paragraph += line;
    }
    endParagraph();
    return paragraphs.join(u'\n');
}
