// Numbers and signs in Chinese text as a Chinese reader says them, and where each spoken
// character came from in the written text.
#include "speech/chinese/chinese_numbers.h"

#include <QtTest>

class TestChineseNumbers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cardinals_data();
    void cardinals() { compareSpoken(); }
    void twoAsLiang_data();
    void twoAsLiang() { compareSpoken(); }
    void decimalsSignsAndPercent_data();
    void decimalsSignsAndPercent() { compareSpoken(); }
    void fractions_data();
    void fractions() { compareSpoken(); }
    void rangesAndRatios_data();
    void rangesAndRatios() { compareSpoken(); }
    void yearsAndDigitStrings_data();
    void yearsAndDigitStrings() { compareSpoken(); }
    void dates_data();
    void dates() { compareSpoken(); }
    void times_data();
    void times() { compareSpoken(); }
    void telephonesCodesAndAddresses_data();
    void telephonesCodesAndAddresses() { compareSpoken(); }
    void money_data();
    void money() { compareSpoken(); }
    void units_data();
    void units() { compareSpoken(); }
    void ordinals_data();
    void ordinals() { compareSpoken(); }
    void sums_data();
    void sums() { compareSpoken(); }
    void versions_data();
    void versions() { compareSpoken(); }
    void lettersAndDigits_data();
    void lettersAndDigits() { compareSpoken(); }
    void fullwidthForms_data();
    void fullwidthForms() { compareSpoken(); }
    void textLeftAsItIs_data();
    void textLeftAsItIs();
    void positions_data();
    void positions();

private:
    static void addColumns();
    static void compareSpoken();
};

namespace {

// The written position of each spoken character and of the end.
QList<int> positionsOf(const SpokenText& spoken) {
    return QList<int>(spoken.positions.begin(), spoken.positions.end());
}

} // namespace

void TestChineseNumbers::addColumns() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("spoken");
}

void TestChineseNumbers::compareSpoken() {
    QFETCH(QString, text);
    QFETCH(QString, spoken);
    const SpokenText result = chineseSpokenForm(text);
    QCOMPARE(result.text, spoken);
    QCOMPARE(result.positions.size(), size_t(result.text.size()) + 1);
    QCOMPARE(result.positions.back(), int(text.size()));
}

void TestChineseNumbers::cardinals_data() {
    addColumns();
    QTest::newRow("zero") << "0"
                          << "零";
    QTest::newRow("ten") << "10"
                         << "十";
    QTest::newRow("teens") << "共15人"
                           << "共十五人";
    QTest::newRow("ten inside a hundred") << "110"
                                          << "一百一十";
    QTest::newRow("gap of two places") << "1005"
                                       << "一千零五";
    QTest::newRow("gap at a ten") << "1050"
                                  << "一千零五十";
    QTest::newRow("ten thousand and ten") << "100010"
                                          << "十万零一十";
    QTest::newRow("twenty thousand") << "20000"
                                     << "两万";
    QTest::newRow("a hundred million") << "100000000"
                                       << "一亿";
    QTest::newRow("hundred million and one") << "100000001"
                                             << "一亿零一";
    QTest::newRow("hundred million and ten thousand") << "100010000"
                                                      << "一亿零一万";
    QTest::newRow("two thousand inside") << "12345"
                                         << "一万两千三百四十五";
    QTest::newRow("above the hundred millions") << "1234500000000"
                                                << "一万两千三百四十五亿";
    QTest::newRow("thousands separators") << "1,234,567"
                                          << "一百二十三万四千五百六十七";
    QTest::newRow("no thousands in a list") << "1,2,3"
                                            << "一,二,三";
    QTest::newRow("Chinese comma is a list") << "1，234"
                                             << "一，二百三十四";
    QTest::newRow("beyond the units") << "12345678901234567"
                                      << "一二三四五六七八九零一二三四五六七";
}

void TestChineseNumbers::twoAsLiang_data() {
    addColumns();
    QTest::newRow("two thousand") << "2000"
                                  << "两千";
    QTest::newRow("two hundred stays") << "200"
                                       << "二百";
    QTest::newRow("2万") << "2万"
                         << "两万";
    QTest::newRow("two hundred million") << "200000000"
                                         << "两亿";
    QTest::newRow("measure word") << "2个"
                                  << "两个";
    QTest::newRow("years") << "2年"
                           << "两年";
    QTest::newRow("books, times, days, age") << "2本2次2天2岁"
                                             << "两本两次两天两岁";
    QTest::newRow("two-character measures") << "2小时2公里"
                                            << "两小时两公里";
    QTest::newRow("imperial measures") << "2磅2英里"
                                       << "两磅两英里";
    QTest::newRow("last digit") << "22个"
                                << "二十二个";
    QTest::newRow("twelve") << "12个"
                            << "十二个";
    QTest::newRow("decimal") << "2.5个"
                             << "二点五个";
    QTest::newRow("no measure word") << "共2"
                                     << "共二";
    QTest::newRow("month and day are names") << "2月2日"
                                             << "二月二日";
    QTest::newRow("number of a building") << "2号楼"
                                          << "二号楼";
}

void TestChineseNumbers::decimalsSignsAndPercent_data() {
    addColumns();
    QTest::newRow("decimal") << "3.14"
                             << "三点一四";
    QTest::newRow("below one") << "0.5"
                               << "零点五";
    QTest::newRow("minus") << "-5"
                           << "负五";
    QTest::newRow("minus sign") << "−5"
                                << "负五";
    QTest::newRow("minus after Chinese") << "气温-3.5度"
                                         << "气温负三点五度";
    QTest::newRow("hyphen in a word") << "COVID-19"
                                      << "COVID-十九";
    QTest::newRow("percent") << "3.5%"
                             << "百分之三点五";
    QTest::newRow("negative percent") << "-2%"
                                      << "负百分之二";
    QTest::newRow("permille") << "5‰"
                              << "千分之五";
    QTest::newRow("range of percents") << "5-10%"
                                       << "百分之五到百分之十";
    QTest::newRow("plus or minus") << "±3"
                                   << "正负三";
}

void TestChineseNumbers::fractions_data() {
    addColumns();
    QTest::newRow("a third") << "1/3"
                             << "三分之一";
    QTest::newRow("two thirds") << "2/3"
                                << "三分之二";
    QTest::newRow("negative") << "-1/2"
                              << "负二分之一";
    QTest::newRow("three parts are no fraction") << "1/2/3"
                                                 << "一/二/三";
    QTest::newRow("over zero is no fraction") << "1/0"
                                              << "一/零";
}

void TestChineseNumbers::rangesAndRatios_data() {
    addColumns();
    QTest::newRow("hyphen") << "1-2"
                            << "一到二";
    QTest::newRow("tilde") << "10~20"
                           << "十到二十";
    QTest::newRow("dash") << "3—5"
                          << "三到五";
    QTest::newRow("with a measure word") << "1-2个"
                                         << "一到两个";
    QTest::newRow("with a unit") << "10~20℃"
                                 << "十到二十摄氏度";
    QTest::newRow("years") << "2020-2024年"
                           << "二零二零到二零二四年";
    QTest::newRow("each with its unit") << "1990年-2000年"
                                        << "一九九零年到二零零零年";
    QTest::newRow("ratio") << "2:1"
                           << "二比一";
    QTest::newRow("score that looks like a time") << "比分 3:25"
                                                  << "比分 三比二十五";
    QTest::newRow("result after a score") << "以10:30获胜"
                                          << "以十比三十获胜";
    QTest::newRow("colon with blanks is no ratio") << "第1: 2个"
                                                   << "第一: 两个";
}

void TestChineseNumbers::yearsAndDigitStrings_data() {
    addColumns();
    QTest::newRow("year") << "2024年"
                          << "二零二四年";
    QTest::newRow("decade") << "1990年代"
                            << "一九九零年代";
    QTest::newRow("short decade is an amount") << "80年代"
                                               << "八十年代";
    QTest::newRow("a two-digit year of the era as a number") << "公元31年"
                                                             << "公元三十一年";
    QTest::newRow("before the common era") << "公元前221年"
                                           << "公元前二二一年";
    QTest::newRow("two digits with a month") << "98年3月"
                                             << "九八年三月";
    QTest::newRow("three digits at a point in time") << "他于349年去世，在615年出生"
                                                     << "他于三四九年去世，在六一五年出生";
    QTest::newRow("three digits as a span") << "历时349年，在100年后"
                                            << "历时三百四十九年，在一百年后";
    QTest::newRow("a hundred years") << "100年"
                                     << "一百年";
    QTest::newRow("long number of years") << "12345年"
                                          << "一二三四五年";
    QTest::newRow("separators make it an amount") << "10,000年"
                                                  << "一万年";
    QTest::newRow("leading zero") << "007"
                                  << "零零七";
}

void TestChineseNumbers::dates_data() {
    addColumns();
    QTest::newRow("hyphens") << "2024-03-05"
                             << "二零二四年三月五日";
    QTest::newRow("slashes") << "2024/3/5"
                             << "二零二四年三月五日";
    QTest::newRow("dots") << "2024.3.5"
                          << "二零二四年三月五日";
    QTest::newRow("Chinese") << "2024年3月5日"
                             << "二零二四年三月五日";
    QTest::newRow("month and day") << "3月5日"
                                   << "三月五日";
    QTest::newRow("padded day") << "3月05日"
                                << "三月五日";
    QTest::newRow("day as 号") << "5号"
                               << "五号";
    QTest::newRow("year and month") << "2024-03"
                                    << "二零二四年三月";
    QTest::newRow("two years are no date") << "1990-2000"
                                           << "一千九百九十到两千";
    QTest::newRow("no thirteenth month") << "2024/13/5"
                                         << "两千零二十四/十三/五";
}

void TestChineseNumbers::times_data() {
    addColumns();
    QTest::newRow("half past ten") << "10:30"
                                   << "十点三十分";
    QTest::newRow("two o'clock is 两点") << "2:05"
                                         << "两点零五分";
    QTest::newRow("seconds") << "10:30:15"
                             << "十点三十分十五秒";
    QTest::newRow("on the hour") << "12:00"
                                 << "十二点";
    QTest::newRow("midnight") << "0:00"
                              << "零点";
    QTest::newRow("written in Chinese") << "8点"
                                        << "八点";
    QTest::newRow("two o'clock in Chinese") << "2点"
                                            << "两点";
    QTest::newRow("time range") << "9:00-17:30"
                                << "九点到十七点三十分";
    QTest::newRow("one-digit minutes are a ratio") << "10:3"
                                                   << "十比三";
}

void TestChineseNumbers::telephonesCodesAndAddresses_data() {
    addColumns();
    QTest::newRow("mobile") << "13812345678"
                            << "幺三八幺二三四五六七八";
    QTest::newRow("mobile in groups") << "138-1234-5678"
                                      << "幺三八 幺二三四 五六七八";
    QTest::newRow("mobile with blanks") << "138 1234 5678"
                                        << "幺三八 幺二三四 五六七八";
    QTest::newRow("area code") << "010-12345678"
                               << "零幺零 幺二三四五六七八";
    QTest::newRow("service line") << "400-810-1234"
                                  << "四零零 八幺零 幺二三四";
    QTest::newRow("after a label") << "电话：12345"
                                   << "电话：幺二三四五";
    QTest::newRow("hotline") << "热线 95588"
                             << "热线 九五五八八";
    QTest::newRow("Latin label") << "Tel: 5551234"
                                 << "Tel: 五五五幺二三四";
    QTest::newRow("order number") << "订单号：1002003"
                                  << "订单号：一零零二零零三";
    QTest::newRow("verification code") << "验证码是 261180"
                                       << "验证码是 二六一一八零";
    QTest::newRow("postal code") << "邮编100871"
                                 << "邮编一零零八七一";
    QTest::newRow("IP address") << "192.168.1.1"
                                << "一九二点一六八点一点一";
    QTest::newRow("long amount stays") << "人口14000000"
                                       << "人口一千四百万";
}

void TestChineseNumbers::money_data() {
    addColumns();
    QTest::newRow("yuan sign") << "¥100"
                               << "一百元";
    QTest::newRow("fullwidth yuan sign") << "￥100"
                                         << "一百元";
    QTest::newRow("yuan") << "100元"
                          << "一百元";
    QTest::newRow("dollars") << "$5"
                             << "五美元";
    QTest::newRow("euros") << "€5"
                           << "五欧元";
    QTest::newRow("pounds") << "£5"
                            << "五英镑";
    QTest::newRow("two dollars") << "$2"
                                 << "两美元";
    QTest::newRow("decimal yuan") << "3.5元"
                                  << "三点五元";
    QTest::newRow("cents without their zeros") << "￥1,234.50"
                                               << "一千二百三十四点五元";
    QTest::newRow("whole yuan written with cents") << "10.00元"
                                                   << "十元";
    QTest::newRow("dollars and cents") << "$0.50"
                                       << "零点五美元";
    QTest::newRow("a decimal that is no money keeps its zeros") << "1.50米"
                                                                << "一点五零米";
    QTest::newRow("yuan and jiao") << "3元5角"
                                   << "三元五角";
    QTest::newRow("with magnitude") << "$5万"
                                    << "五万美元";
    QTest::newRow("separated amount") << "$1,000"
                                      << "一千美元";
    QTest::newRow("code after") << "100 CNY"
                                << "一百元人民币";
    QTest::newRow("code before") << "USD 100"
                                 << "一百美元";
    QTest::newRow("euro code") << "20EUR"
                               << "二十欧元";
    QTest::newRow("Hong Kong dollars") << "HK$10"
                                       << "十港元";
    QTest::newRow("negative") << "-$5"
                              << "负五美元";
}

void TestChineseNumbers::units_data() {
    addColumns();
    QTest::newRow("kilometres") << "5km"
                                << "五千米";
    QTest::newRow("kilograms") << "2kg"
                               << "两千克";
    QTest::newRow("grams and centimetres") << "5g 3cm"
                                           << "五克 三厘米";
    QTest::newRow("metres with a blank") << "100 m"
                                         << "一百米";
    QTest::newRow("millilitres") << "250ml 250mL"
                                 << "二百五十毫升 二百五十毫升";
    QTest::newRow("litres") << "1.5L"
                            << "一点五升";
    QTest::newRow("Celsius") << "-5℃"
                             << "负五摄氏度";
    QTest::newRow("Celsius in two signs") << "36.5°C"
                                          << "三十六点五摄氏度";
    QTest::newRow("Fahrenheit") << "98°F"
                                << "九十八华氏度";
    QTest::newRow("degrees") << "45°"
                             << "四十五度";
    QTest::newRow("square metres") << "90m² 90m2"
                                   << "九十平方米 九十平方米";
    QTest::newRow("cubic metres") << "3m³"
                                  << "三立方米";
    QTest::newRow("speed") << "120km/h"
                           << "一百二十千米每小时";
    QTest::newRow("storage keeps its letters") << "16GB"
                                               << "十六GB";
    QTest::newRow("hours, minutes, seconds") << "2h 5min 5s"
                                             << "两小时 五分钟 五秒";
    QTest::newRow("English word is no unit") << "5 sheep"
                                             << "五 sheep";
    QTest::newRow("ordinal suffix is no unit") << "5th"
                                               << "五th";
}

void TestChineseNumbers::ordinals_data() {
    addColumns();
    QTest::newRow("chapter") << "第3章"
                             << "第三章";
    QTest::newRow("place") << "第12名"
                           << "第十二名";
    QTest::newRow("second") << "第2"
                            << "第二";
    QTest::newRow("second with a measure word") << "第2个"
                                                << "第二个";
}

void TestChineseNumbers::sums_data() {
    addColumns();
    QTest::newRow("addition") << "1+1=2"
                              << "一加一等于二";
    QTest::newRow("minus sign") << "3−1"
                                << "三减一";
    QTest::newRow("hyphen before equals") << "3-1=2"
                                          << "三减一等于二";
    QTest::newRow("hyphen with blanks") << "3 - 1"
                                        << "三 减 一";
    QTest::newRow("hyphen inside a sum") << "1+2-3"
                                         << "一加二减三";
    QTest::newRow("times") << "2×3"
                           << "二乘三";
    QTest::newRow("divided by") << "6÷2"
                                << "六除以二";
    QTest::newRow("less than a letter") << "x<5"
                                        << "x小于五";
    QTest::newRow("greater than") << "5>3"
                                  << "五大于三";
    QTest::newRow("comparisons") << "a≤b≥c≠d≈e"
                                 << "a小于等于b大于等于c不等于d约等于e";
    QTest::newRow("dimensions") << "1920x1080"
                                << "一千九百二十乘一千零八十";
    QTest::newRow("hexadecimal is no product") << "0x1F"
                                               << "零x一F";
    QTest::newRow("negative operand") << "3 -5"
                                      << "三 负五";
}

void TestChineseNumbers::versions_data() {
    addColumns();
    QTest::newRow("marked with v") << "v1.2.3"
                                   << "v一点二点三";
    QTest::newRow("parts are numbers") << "V2.10"
                                       << "V二点十";
    QTest::newRow("after 版本") << "版本 2.0.1"
                                << "版本 二点零点一";
    QTest::newRow("three parts") << "1.2.3"
                                 << "一点二点三";
    QTest::newRow("decimal after a name") << "Python 3.11"
                                          << "Python 三点一一";
}

void TestChineseNumbers::lettersAndDigits_data() {
    addColumns();
    QTest::newRow("5G") << "5G网络"
                        << "五G网络";
    QTest::newRow("4K") << "4K"
                        << "四K";
    QTest::newRow("MP3") << "MP3"
                         << "MP三";
    QTest::newRow("A4") << "A4纸"
                        << "A四纸";
    QTest::newRow("phone model") << "iPhone 15"
                                 << "iPhone 十五";
    QTest::newRow("formula") << "H2O"
                             << "H二O";
    QTest::newRow("model number") << "RTX4090"
                                  << "RTX四零九零";
    QTest::newRow("English prose") << "I have 3 apples"
                                   << "I have 三 apples";
}

void TestChineseNumbers::fullwidthForms_data() {
    addColumns();
    QTest::newRow("percent") << "５％"
                             << "百分之五";
    QTest::newRow("time") << "１０：３０"
                          << "十点三十分";
    QTest::newRow("decimal") << "３．１４"
                             << "三点一四";
    QTest::newRow("year") << "２０２４年"
                          << "二零二四年";
    QTest::newRow("range") << "３～５天"
                           << "三到五天";
}

void TestChineseNumbers::textLeftAsItIs_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("Chinese") << "今天天气很好。";
    QTest::newRow("Chinese numerals") << "三百二十一";
    QTest::newRow("signs without numbers") << "a-b, c+d, x=y, [注]";
    QTest::newRow("pinyin") << "行长[hang2 zhang3]来了";
    QTest::newRow("pinyin with neutral tone") << "[ma5]";
}

void TestChineseNumbers::textLeftAsItIs() {
    QFETCH(QString, text);
    const SpokenText result = chineseSpokenForm(text);
    QCOMPARE(result.text, text);
    QList<int> identity;
    for (int at = 0; at <= text.size(); ++at)
        identity << at;
    QCOMPARE(positionsOf(result), identity);
}

void TestChineseNumbers::positions_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("spoken");
    QTest::addColumn<QList<int>>("positions");
    QTest::newRow("year in a sentence") << "在2024年"
                                        << "在二零二四年" << QList<int>{0, 1, 1, 1, 1, 5, 6};
    QTest::newRow("date by its parts")
        << "2024-3-5"
        << "二零二四年三月五日" << QList<int>{0, 0, 0, 0, 4, 5, 6, 7, 7, 8};
    QTest::newRow("money from its sign") << "花$5"
                                         << "花五美元" << QList<int>{0, 1, 1, 1, 3};
    QTest::newRow("operator in a sum") << "1 + 1"
                                       << "一 加 一" << QList<int>{0, 1, 2, 3, 4, 5};
    QTest::newRow("pinyin stays beside a number") << "[a1]2"
                                                  << "[a1]二" << QList<int>{0, 1, 2, 3, 4, 5};
    QTest::newRow("broken pinyin is read") << "[a12]"
                                           << "[a十二]" << QList<int>{0, 1, 2, 2, 4, 5};
}

void TestChineseNumbers::positions() {
    QFETCH(QString, text);
    QFETCH(QString, spoken);
    QFETCH(QList<int>, positions);
    const SpokenText result = chineseSpokenForm(text);
    QCOMPARE(result.text, spoken);
    QCOMPARE(positionsOf(result), positions);
}

QTEST_GUILESS_MAIN(TestChineseNumbers)
#include "tst_chinese_numbers.moc"
