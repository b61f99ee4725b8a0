// Catches faults of the score table: its file, where a new result goes, its drawing and the name entry.
#include "support/rig.h"

namespace {

const QByteArray kDefault = bytes("###ZWEBSCO###\0\0\n\0\n\0\n\0\n\0\n\0\n\0\n\0\n\0\n\0\n");

// A file of "name score" records ("-" for an empty name, or for a score without digit bytes).
QByteArray scoreFile(const QStringList &records) {
    QByteArray out = bytes("###ZWEBSCO###\0");
    for (const QString &r : records) {
        out += r.section(' ', 0, 0).toLatin1().replace("-", "") + '\0';
        const QString digits = r.section(' ', 1, 1).remove('-');
        for (const QChar d : digits) {
            out += static_cast<char>(d.unicode() - '0');
        }
        out += '\n';
    }
    return out;
}

} // namespace

class FormTest : public QObject {
    Q_OBJECT

    static QString table(const Form &f) {
        QStringList out;
        for (std::size_t i = 0; i < 10; ++i) {
            out << f.score_names[i] + ":" + QString::number(f.score_values[i]);
        }
        return out.join('|');
    }

private Q_SLOTS:
    void theCheckOfEveryRecord_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("code");
        const QStringList ten(10, "Ann 12"), nine(9, "Ann 1");
        QTest::newRow("default") << kDefault << 0;
        QTest::newRow("one character of the magic") << QByteArray(kDefault).replace(12, 1, "X") << -2;
        QTest::newRow("no zero after the magic") << QByteArray("###ZWEBSCO###") << -2;
        QTest::newRow("empty") << QByteArray() << -2;
        QTest::newRow("an eight-letter name") << scoreFile(QStringList(nine) << "Abcdefgh 1") << 0;
        QTest::newRow("a nine-letter name") << scoreFile(QStringList(nine) << "Abcdefghi 1") << -3;
        QTest::newRow("five digits") << scoreFile(QStringList(nine) << "Ann 12345") << -4;
        QTest::newRow("nine records") << scoreFile(nine) << -3;
        QTest::newRow("the last 0x0A missing") << scoreFile(ten).chopped(1) << -4;
        QTest::newRow("bytes after the tenth") << scoreFile(ten) + bytes("junk\0\0\1\1\1\1\1\1\n") << 0;
    }
    void theCheckOfEveryRecord() {
        QFETCH(QByteArray, file);
        QFETCH(int, code);
        Rig rig;
        rig.write("zweb.sco", file);
        QCOMPARE(int(rig.f().check_score_file()), code);
    }

    void digitsAreReadAndWrittenAsValues() {
        // Every byte before the 0x0A is a digit, one above 9 too; reading "a score past 9,999": it stays at 9,999.
        const scores::Parsed p = scores::parse(bytes("###ZWEBSCO###\0Bob\0\1\2\0\n\xc6\xb8\0\n\0\0\n\0\x0b\n\0\1\x0c\n"
                                                     "\0\x63\x63\x63\x63\n") +
                                               kDefault.mid(26));
        QCOMPARE(words(p.code, p.table.names[0], p.table.values[0], p.table.names[1], p.table.values[1],
                       p.table.names[2].size(), p.table.values[2], p.table.values[3], p.table.values[4],
                       p.table.values[5]),
                 QString("0 Bob 120 Жё 0 0 0 11 22 9999"));
        std::array<std::int16_t, 10> values{120, 9999, 0, 5, 0, 0, 0, 0, 0, 0};
        std::array<QString, 10> names{"Bob", "Жё№", "", "........"};
        QCOMPARE(scores::format(values, names), bytes("###ZWEBSCO###\0Bob\0\1\2\0\n\xc6\xb8\xb9\0\t\t\t\t\n\0\0\n"
                                                      "........\0\5\n\0\0\n\0\0\n\0\0\n\0\0\n\0\0\n\0\0\n"));
        names[9] = QString(QChar(0x98)) + QChar(0x40E); // the code page's unused code, and its letter U
        QCOMPARE(scores::parse(scores::format(values, names)).table.names[9], names[9]);
    }

    // Their messages, and files that cannot be read: test_faults.
    void aMissingFileIsReplacedAndASoundOneIsRead() {
        Rig missing(cfg_file(), QByteArray());
        QCOMPARE(missing.read("zweb.sco") + table(missing.f()).toLatin1(),
                 kDefault + QStringList(10, "........:0").join('|').toLatin1());
        Rig read(cfg_file(), scoreFile(QStringList{"Ann 500", "Bob -"} + QStringList(8, "- -")));
        QCOMPARE(read.said().join("") + table(read.f()).section('|', 0, 2), QString("Ann:500|Bob:0|........:0"));
    }

    void aNewScoreGoesBelowItsEquals_data() {
        // the table; the score, the place it takes, the table after and its names (shifted down, the place's kept)
        const char *some = "50 40 30 20 10 9 8 7 6 5";
        rows({{"into an empty table", "0 0 0 0 0 0 0 0 0 0", "1 0 1 0 0 0 0 0 0 0 0 0 aabcdefghi"},
              {"equal to the tenth", some, "5 -1 50 40 30 20 10 9 8 7 6 5 abcdefghij"},
              {"above the tenth", some, "6 9 50 40 30 20 10 9 8 7 6 6 abcdefghij"},
              {"equal to the best", some, "50 1 50 50 40 30 20 10 9 8 7 6 abbcdefghi"},
              {"a new best", some, "51 0 51 50 40 30 20 10 9 8 7 6 aabcdefghi"}});
    }
    void aNewScoreGoesBelowItsEquals() {
        QFETCH(QStringList, row);
        std::array<std::int16_t, 10> values{};
        std::array<QString, 10> names{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"};
        const QStringList b = row[0].split(' ');
        std::transform(b.begin(), b.end(), values.begin(), [](const QString &v) { return v.toShort(); });
        const auto score = row[1].section(' ', 0, 0).toShort();
        QString got = words(score, scores::place(score, values, names));
        for (const std::int16_t v : values) {
            got += " " + QString::number(v);
        }
        QCOMPARE(got + " " + QStringList(names.begin(), names.end()).join(""), row[1]);
    }

    // The frame, the heading's rule and the column rule: two green pixels at each end, black beside. Text: test_view.
    void theTableInThePlayArea() {
        QCOMPARE(pixels(Rig().f().Picture1->image(),
                        "5,0 5,1 155,0 155,1 0,5 1,5 0,330 1,330 158,5 159,5 158,330 159,330 5,334 5,335 155,334 "
                        "155,335 5,23 5,24 150,23 150,24 94,30 95,30 94,320 95,320 80,2 2,200 157,200 80,333 "
                        "30,22 30,25 93,100 96,100"),
                 QString("9b32 ").repeated(24) + "0 0 0 0 0 0 0 0");
    }

    void aNameIsTypedIntoItsBoxAndSavedOnTheNextTick() {
        Rig rig;
        Form &f = rig.f();
        f.set_menus_enabled(false);
        rig.script({{"scores 500", "new_place name_entry_on box focus cursor", "0 -1 shown box on"}});
        f.Picture1->takeFocus(); // the box takes the keyboard straight back
        QCOMPARE(rig.show("focus"), QString("box"));
        const plat::PictureBox &box = *f.Picture2; // its look: test_view
        QString blinks; // the cursor blinks right after the name: on, off, on; nothing else is drawn
        for (int tick = 0; tick < 3; ++tick) {
            rig.wait(200);
            blinks += QString::number(count(box.image(), Qt::black, QRect(11, 28, 129, 19))) + "/" +
                      QString::number(count(box.image(), Qt::black, QRect(15, 28, 4, 19))) + " ";
        }
        QCOMPARE(blinks, QString("32/32 0/0 32/32 ")); // all of it in the first place
        rig.type("A");
        const QImage a = box.image(); // the cursor erased, the name drawn
        QCOMPARE(count(a, Qt::black, QRect(15 + 11, 28, 8, 19)), 0);
        rig.type("V"); // a pair of letters that a kerned font would draw closer
        rig.key(plat::kVkBack, 8);
        QVERIFY(box.image() == a && f.name_cut == "V"); // the letter and the cursor gone without a trace
        rig.type("\"mї!Ёёя#~12");
        QCOMPARE(f.name_text + "|" + QString::number(f.name_count), QString("A m !Ёёя|9"));
        rig.key(plat::kVkBack, 8);
        rig.script({{"keys e", "msg_closed name_entry_on", "0 -1"}}); // Esc does nothing while a name is typed
        rig.key(plat::kVkBack, 8);
        rig.key(plat::kVkReturn, 13);
        QCOMPARE(rig.read("zweb.sco"), kDefault); // not before the next tick
        rig.wait(200);
        const QByteArray saved = bytes("###ZWEBSCO###\0A m !\xa8\0\5\0\0\n") + QByteArray("\0\0\n", 3).repeated(9);
        QCOMPARE(rig.read("zweb.sco"), saved);
        QCOMPARE(rig.show("name_entry_on box cursor menus faces"), QString("0 hidden off on 021100"));
        QCOMPARE(table(f).section('|', 0, 1), QString("A m !Ё:500|........:0"));
    }

    // Reading "Y and N in a name": while a name is typed, Y and N, and Н and Т on the same keys, are letters.
    void yAndNAreLettersOfATypedName() {
        Rig rig;
        QCOMPARE(rig.run("quota; keys e; wait 900; type yN А№~"), QString()); // a Reset, 1 point and the bonus of 200 s
        QCOMPARE(rig.show("menus faces"), QString("off 221122"));             // nothing else to press before the name
        rig.key(plat::kVkY, 0xCD);
        rig.key(plat::kVkN, 0xD2);
        rig.script({{"keys r; wait 200", "box gravity countdown game_on name_entry_on menus faces",
                     "hidden off/300 off 0 0 on 021100"}});
        QCOMPARE(rig.read("zweb.sco"),
                 bytes("###ZWEBSCO###\0yN \xc0\xb9~\xcd\xd2\0\4\0\1\n") + bytes("\0\0\n").repeated(9));
        Rig gone; // reading "a result the disk no longer takes": no name is asked, the buttons come back
        QCOMPARE(gone.run("quota"), QString());
        gone.write("zweb.sco", scoreFile(QStringList(10, "Max 9999")));
        gone.script({{"keys e; wait 900", "game_on name_entry_on end_code menus faces", "0 0 1 on 021100"}});
    }

    // The table keeps the dots of an empty name, the file its empty name. A save that fails: test_faults.
    void anEmptyNameIsStored() {
        Rig rig;
        rig.script({{"scores 7; keys r; wait 200", "box menus", "hidden on"}});
        QCOMPARE(rig.read("zweb.sco"), bytes("###ZWEBSCO###\0\0\7\n") + bytes("\0\0\n").repeated(9));
        QCOMPARE(table(rig.f()).section('|', 0, 1), QString("........:7|........:0"));
    }
};

QTEST_MAIN(FormTest)
#include "test_scores.moc"
