// The stored form of passwords.
//
// Worked by hand from the recurrence (key starts at 738215; per byte p:
// c = p XOR ((key >> 8) AND 255), letters chr(65 + c / 26) chr(65 + c % 26),
// then key = (c + key) * 56789 + 54667 mod 2^32):
//
//   "A":   key >> 8 = 738215 / 256 = 2883;  2883 AND 255 = 2883 - 11 * 256 = 67
//          c = 65 XOR 67 = 1000001b XOR 1000011b = 2          -> 'A'+0, 'A'+2 = "AC"
//   "AB":  key = (2 + 738215) * 56789 + 54667 = 41922659880
//              = 41922659880 - 9 * 4294967296 = 3267954216 (mod 2^32)
//          key >> 8 = 12765446;  12765446 - 49865 * 256 = 6
//          c = 66 XOR 6 = 1000010b XOR 0000110b = 68
//          68 = 2 * 26 + 16                                   -> "CQ", so "ACCQ"
//   00 FF: c = 0 XOR 67 = 67 = 2 * 26 + 15                    -> "CP"
//          key = (67 + 738215) * 56789 + 54667 mod 2^32 = 3271645501
//          key >> 8 = 12779865;  12779865 - 49921 * 256 = 89
//          c = 255 XOR 89 = 11111111b XOR 01011001b = 166
//          166 = 6 * 26 + 10                                  -> "GK", so "CPGK"
//   "123456" continues the same way: "EKBHCZIPGBFO".
#include "TestLedger.h"

#include "common/Text.h"
#include "storage/LedgerSchema.h"
#include "storage/PasswordScrambler.h"

#include <QSet>
#include <QTest>

using namespace yanlan;

namespace {

// A fixed, patternless byte string (a small linear congruential generator).
QByteArray mixedBytes(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = 20240531u;
    for (char &b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<char>(state >> 24);
    }
    return bytes;
}

// Each pair's first letter is c / 26 for c <= 255, so A to J; the second is A to Z.
bool pairsWellFormed(const QString &scrambled)
{
    if (scrambled.size() % 2 != 0)
        return false;
    for (qsizetype i = 0; i < scrambled.size(); i += 2) {
        const char16_t high = scrambled.at(i).unicode();
        const char16_t low = scrambled.at(i + 1).unicode();
        if (high < u'A' || high > u'J' || low < u'A' || low > u'Z')
            return false;
        if ((high - u'A') * 26 + (low - u'A') > 255)
            return false;
    }
    return true;
}

} // namespace

class TestStorageScramble : public QObject
{
    Q_OBJECT

private slots:
    void handWorkedVectors_data();
    void handWorkedVectors();
    void everySingleByteRoundTrips();
    void longMixedStringRoundTrips();
    void changedByteLeavesEarlierPairs_data();
    void changedByteLeavesEarlierPairs();
    void unpairedLastLetterIgnored_data();
    void unpairedLastLetterIgnored();
    void typedPasswordIsTrimmedAndUpperCased_data();
    void typedPasswordIsTrimmedAndUpperCased();
    void chineseTypedPasswordGoesThroughGbk_data();
    void chineseTypedPasswordGoesThroughGbk();
    void freshLedgerStoresInitialPassword();
};

void TestStorageScramble::handWorkedVectors_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("scrambled");

    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("A") << QByteArray("A") << QStringLiteral("AC");
    QTest::newRow("AB") << QByteArray("AB") << QStringLiteral("ACCQ");
    QTest::newRow("00 FF") << QByteArray("\x00\xff", 2) << QStringLiteral("CPGK");
    QTest::newRow("123456") << QByteArray("123456") << QStringLiteral("EKBHCZIPGBFO");
}

void TestStorageScramble::handWorkedVectors()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, scrambled);
    QCOMPARE(scramblePassword(bytes), scrambled);
    QCOMPARE(unscramblePassword(scrambled), bytes);
}

void TestStorageScramble::everySingleByteRoundTrips()
{
    QSet<QString> seen;
    for (int value = 0; value < 256; ++value) {
        const QByteArray byte(1, static_cast<char>(value));
        const QString scrambled = scramblePassword(byte);
        QVERIFY2(pairsWellFormed(scrambled), qPrintable(scrambled));
        QCOMPARE(unscramblePassword(scrambled), byte);
        seen.insert(scrambled);
    }
    QCOMPARE(seen.size(), 256);
}

void TestStorageScramble::longMixedStringRoundTrips()
{
    const QByteArray bytes = mixedBytes(1000);
    const QString scrambled = scramblePassword(bytes);
    QCOMPARE(scrambled.size(), 2000);
    QVERIFY(pairsWellFormed(scrambled));
    QCOMPARE(unscramblePassword(scrambled), bytes);
}

void TestStorageScramble::changedByteLeavesEarlierPairs_data()
{
    QTest::addColumn<int>("position");

    QTest::newRow("first") << 0;
    QTest::newRow("middle") << 500;
    QTest::newRow("last") << 999;
}

void TestStorageScramble::changedByteLeavesEarlierPairs()
{
    QFETCH(int, position);

    const QByteArray original = mixedBytes(1000);
    QByteArray changed = original;
    changed[position] = static_cast<char>(original.at(position) ^ 0x01);

    const QString before = scramblePassword(original);
    const QString after = scramblePassword(changed);
    QCOMPARE(after.left(2 * position), before.left(2 * position));
    QVERIFY(after.mid(2 * position, 2) != before.mid(2 * position, 2));
    QCOMPARE(unscramblePassword(after), changed);
}

void TestStorageScramble::unpairedLastLetterIgnored_data()
{
    QTest::addColumn<QString>("scrambled");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("one letter") << QStringLiteral("A") << QByteArray();
    QTest::newRow("pair and one") << QStringLiteral("ACZ") << QByteArray("A");
    QTest::newRow("two pairs and one") << QStringLiteral("ACCQJ") << QByteArray("AB");
}

void TestStorageScramble::unpairedLastLetterIgnored()
{
    QFETCH(QString, scrambled);
    QFETCH(QByteArray, bytes);
    QCOMPARE(unscramblePassword(scrambled), bytes);
}

void TestStorageScramble::typedPasswordIsTrimmedAndUpperCased_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("stored"); // the bytes that get scrambled

    QTest::newRow("spaces and lower case") << QStringLiteral(" abc ") << QByteArray("ABC");
    QTest::newRow("control characters") << QStringLiteral("\tabc\r\n") << QByteArray("ABC");
    QTest::newRow("inner space kept") << QStringLiteral("a b") << QByteArray("A B");
    QTest::newRow("digits") << QStringLiteral("123456") << QByteArray("123456");
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("blank") << QStringLiteral("   ") << QByteArray();
}

void TestStorageScramble::typedPasswordIsTrimmedAndUpperCased()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, stored);

    const QString scrambled = scrambleTypedPassword(typed);
    QCOMPARE(scrambled, scramblePassword(stored));
    QCOMPARE(unscrambleToText(scrambled), QString::fromLatin1(stored));
}

void TestStorageScramble::chineseTypedPasswordGoesThroughGbk_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("gbk");
    QTest::addColumn<QString>("readBack");

    QTest::newRow("two characters")
        << QStringLiteral("密码") << QByteArray("\xc3\xdc\xc2\xeb") << QStringLiteral("密码");
    QTest::newRow("mixed, padded")
        << QStringLiteral(" 密码abc ") << QByteArray("\xc3\xdc\xc2\xeb" "ABC")
        << QStringLiteral("密码ABC");
    // 乤 is 81 61 in GBK: its second byte is 'a' and must not be upper-cased
    QTest::newRow("trail byte in a-z")
        << QStringLiteral("乤a") << QByteArray("\x81\x61\x41") << QStringLiteral("乤A");
}

void TestStorageScramble::chineseTypedPasswordGoesThroughGbk()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, gbk);
    QFETCH(QString, readBack);

    const QString scrambled = scrambleTypedPassword(typed);
    QCOMPARE(scrambled, scramblePassword(gbk));
    QCOMPARE(unscrambleToText(scrambled), readBack);
}

void TestStorageScramble::freshLedgerStoresInitialPassword()
{
    test::TestLedger fresh;
    const QString stored = fresh.scalar(QStringLiteral("SELECT pwd FROM tUser WHERE code='Admin'"));
    QCOMPARE(stored, QStringLiteral("EKBHCZIPGBFO"));
    QCOMPARE(stored, scrambleTypedPassword(InitialPassword));
    QCOMPARE(unscrambleToText(stored), InitialPassword);
}

QTEST_GUILESS_MAIN(TestStorageScramble)
#include "tst_storage_scramble.moc"
