#include "rtf_code_pages.h"

QByteArray encodingForCodePage(int codePage) {
    switch (codePage) {
    case 936:
        return "GB18030"; // a superset of GBK, which Windows calls 936
    case 950:
        return "Big5";
    case 932:
        return "Shift_JIS";
    case 949:
        return "windows-949";
    case 10000:
        return "macintosh";
    case 65001:
        return "UTF-8";
    default:
        if ((codePage >= 1250 && codePage <= 1258) || codePage == 874)
            return "windows-" + QByteArray::number(codePage);
        return {};
    }
}

QByteArray encodingForCharset(int charset) {
    switch (charset) {
    case 0:
    case 1:
    case 2:
        return "windows-1252";
    case 77:
        return "macintosh";
    case 128:
        return "Shift_JIS";
    case 129:
    case 130:
        return "windows-949";
    case 134:
        return "GB18030";
    case 136:
        return "Big5";
    case 161:
        return "windows-1253";
    case 162:
        return "windows-1254";
    case 163:
        return "windows-1258";
    case 177:
        return "windows-1255";
    case 178:
        return "windows-1256";
    case 186:
        return "windows-1257";
    case 204:
        return "windows-1251";
    case 222:
        return "windows-874";
    case 238:
        return "windows-1250";
    default:
        return {};
    }
}
