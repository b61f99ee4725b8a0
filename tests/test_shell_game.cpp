// The shell during real games: the sound cues of every event, the button
// faces of each phase, and closing the window in the middle of a drop.
#include "test_shell_form.h"

#include "support/play.h"

#include "platform/device_sound.h"
#include "platform/keyboard.h"
#include "platform/real_services.h"
#include "platform/resources.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

// A window on virtual time with an empty score table and the given settings.
struct Rig {
    QTemporaryDir dir;
    plat::VirtualServices svc;
    std::unique_ptr<ShellForm> form;

    explicit Rig(const QString &sound = QStringLiteral("Yes"), plat::FileSystem *files = nullptr) {
        svc.setProgramFolder(dir.path());
        svc.setFileSystem(files);
        write_file(QDir(dir.path()).filePath(QStringLiteral("zweb.cfg")), cfg_file(sound, "No", "0", "Eng"));
        QByteArray sco("###ZWEBSCO###");
        sco.append('\0');
        for (int i = 0; i < 10; ++i) {
            sco.append('\0');
            sco.append('\n');
        }
        write_file(QDir(dir.path()).filePath(QStringLiteral("zweb.sco")), sco);
        form = load_form(svc);
    }

    ShellForm &f() const { return *form; }
    void key(int code, int ch = -1) const { form->deliverKey(code, 0, ch); }

    template <typename P> bool run_until(P pred, qint64 max_ms, qint64 step = 5) {
        for (qint64 t = 0; t < max_ms; t += step) {
            if (pred()) {
                return true;
            }
            svc.advance(step);
        }
        return pred();
    }

    // Start clicked on the idle window, then the intro.
    bool start_game() {
        svc.advance(250);
        form->knopstart_Click(0);
        svc.advance(20 * 50);
        return form->game_on == kTrue;
    }

    // The next gravity tick brings in a figure of this type.
    bool bring_in(int type) {
        ShellForm &g = *form;
        g.next_fig = static_cast<Integer>(type);
        return run_until([&] { return g.game_on == kTrue && g.need_fig == kFalse; }, 1000);
    }

    [[nodiscard]] bool landed() const { return form->need_fig == kTrue && form->input_locked == kTrue; }
    [[nodiscard]] bool end_message_up() const {
        const ShellForm &g = *form;
        return g.game_on == kTrue && g.msg_closed == kFalse && g.Timer_Wait->enabled() && !g.Play_Tmr_Vert->enabled() &&
               g.Picture2->hasKeyFocus();
    }
};

void fill_row(ShellForm &f, int y, int gap) {
    for (int x = 1; x <= 8; ++x) {
        f.well(x, y) = static_cast<Integer>(x == gap ? 0 : 3);
    }
}

// The bar (type 0) enters upright in column 4: drop it there.
void drop(Rig &rig) { rig.key(plat::kVkSpace, 32); }

// Every play of the sink comes right after a stop.
bool every_play_follows_a_stop(const plat::RecordingSound &sound) {
    for (std::size_t i = 0; i < sound.calls.size(); ++i) {
        if (sound.calls[i].play && (i == 0 || sound.calls[i - 1].play)) {
            return false;
        }
    }
    return true;
}

QByteArray last_played(const plat::RecordingSound &sound) {
    const auto p = sound.played();
    return p.empty() ? QByteArray() : p.back();
}

int lowest_row(const ShellForm &f) {
    int r = 0;
    for (std::size_t i = 8; i < 12; ++i) {
        r = std::max<int>(r, f.fig[i]);
    }
    return r;
}

struct TimerState {
    bool on;
    int ms;
    bool operator==(const TimerState &) const = default;
};

std::vector<TimerState> timer_states(const ShellForm &f) {
    std::vector<TimerState> s;
    for (const plat::Timer *t : {f.Play_Tmr_Vert.get(), f.knop_prs.get(), f.Stk_output.get(), f.open_win.get(),
                                 f.Timer1.get(), f.Timer_Wait.get(), f.Timer2.get()}) {
        s.push_back({t->enabled(), t->interval()});
    }
    return s;
}

} // namespace

class ShellGameTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { lang_rus = kFalse; }

    // ------------------------------------------------------------ sound cues

    void landingsPlayTheirClipsEachCuttingOffTheLast() {
        Rig rig;
        ShellForm &f = rig.f();
        QCOMPARE(f.sound_on, kTrue);
        // Our own bytes for the short clips, so each cue is told apart.
        f.snd_land = "land";
        f.snd_lines1 = "one row";
        f.snd_lines2 = "two rows";
        f.snd_lines3 = "three rows";
        f.snd_lines4 = "four rows";
        QVERIFY(rig.start_game());
        const std::array<QByteArray, 5> want = {"land", "one row", "two rows", "three rows", "four rows"};
        for (int rows = 0; rows <= 4; ++rows) {
            f.clear_well();
            for (int y = 20 - rows; y <= 19; ++y) {
                fill_row(f, y, 4);
            }
            QVERIFY(rig.bring_in(0));
            const std::size_t before = rig.svc.recording_sound.calls.size();
            drop(rig);
            QVERIFY(rig.run_until([&] { return rig.landed(); }, 1000));
            QCOMPARE(int(f.lines), rows * (rows + 1) / 2);
            const auto &calls = rig.svc.recording_sound.calls;
            QCOMPARE(calls.size(), before + 2); // one stop, one play
            QVERIFY(!calls[before].play);
            QCOMPARE(calls[before + 1].wav, want[static_cast<std::size_t>(rows)]);
        }
        QVERIFY(every_play_follows_a_stop(rig.svc.recording_sound));
    }

    void eachEndingPlaysItsLongClipAndClosingTheMessageCutsItOff_data() {
        QTest::addColumn<int>("ending");
        QTest::addColumn<int>("clip");
        QTest::newRow("well full") << 0 << 108;
        QTest::newRow("time over") << 1 << 106;
        QTest::newRow("level completed") << 2 << 111;
        QTest::newRow("top ten") << 3 << 107;
        QTest::newRow("new best") << 4 << 110;
    }
    void eachEndingPlaysItsLongClipAndClosingTheMessageCutsItOff() {
        QFETCH(int, ending);
        QFETCH(int, clip);
        Rig rig;
        ShellForm &f = rig.f();
        f.snd_close = "close";
        QVERIFY(rig.start_game());
        if (ending == 0) {
            f.well(4, 1) = 6;
            f.well(5, 1) = 6;
        } else if (ending == 1) {
            f.time_left = 1;
        } else {
            const Integer best = ending == 4 ? 0 : 900;
            const Integer tenth = ending == 2 ? 900 : 0;
            f.score_values = {best, 0, 0, 0, 0, 0, 0, 0, 0, tenth};
            fill_row(f, 19, 4);
            QVERIFY(rig.bring_in(0));
            f.lines = Integer(f.lvl_lines[0] - 1);
            drop(rig);
        }
        QVERIFY(rig.run_until([&] { return rig.end_message_up(); }, 3000));
        QCOMPARE(f.snd_long, plat::loadCustom(clip));
        const auto &sound = rig.svc.recording_sound;
        QVERIFY(every_play_follows_a_stop(sound));
        if (!f.snd_long.isEmpty()) {
            QCOMPARE(last_played(sound), plat::loadCustom(clip));
        }
        QVERIFY(!sound.calls.empty() && !sound.calls.back().play == f.snd_long.isEmpty());

        // Esc: the wait's next tick stops the long clip and plays the closing one.
        const std::size_t before = sound.calls.size();
        rig.key(plat::kVkEscape, 27);
        QVERIFY(rig.run_until([&] { return sound.calls.size() > before; }, 500));
        QCOMPARE(sound.calls.size(), before + 2);
        QVERIFY(!sound.calls[before].play);
        QCOMPARE(sound.calls[before + 1].wav, QByteArray("close"));
    }

    void yesOnTheExitPromptPlaysTheClosingClip() {
        Rig rig;
        ShellForm &f = rig.f();
        f.snd_close = "close";
        QVERIFY(rig.start_game());
        QVERIFY(rig.bring_in(0));
        rig.key(plat::kVkEscape, 27);
        QCOMPARE(f.play_on, Integer(0));
        rig.key(plat::kVkY, 'y');
        QVERIFY(rig.run_until([&] { return !rig.svc.recording_sound.played().empty(); }, 500));
        QCOMPARE(last_played(rig.svc.recording_sound), QByteArray("close"));
        QVERIFY(every_play_follows_a_stop(rig.svc.recording_sound));
    }

    void withTheSoundOffAWholeGameIsSilentAndLoadsNoLongClip() {
        Rig rig(QStringLiteral("No"));
        ShellForm &f = rig.f();
        play::Pilot<ShellForm> pilot(f);
        QVERIFY(rig.start_game());
        f.time_left = 20;
        QVERIFY(rig.run_until([&] { return !pilot.step() && f.game_on == kFalse; }, 120000, 10));
        QVERIFY(rig.svc.recording_sound.calls.empty());
        QVERIFY(f.snd_long.isEmpty());
    }

    void aWholeGameOnThisMachinesSoundDevice() {
        // This machine has no audio output: the player must stay harmless.
        Rig rig;
        ShellForm &f = rig.f();
        std::unique_ptr<plat::SoundSink> device = plat::createDeviceSoundSink();
        rig.svc.setSoundSink(device.get());
        play::Pilot<ShellForm> pilot(f);
        QVERIFY(rig.start_game());
        f.time_left = 30;
        int landings = 0;
        Integer last_lines = 0;
        QVERIFY(rig.run_until(
            [&] {
                landings += rig.landed() ? 1 : 0;
                last_lines = f.lines;
                return !pilot.step() && f.game_on == kFalse;
            },
            120000, 10));
        QVERIFY(landings > 0);
        QVERIFY(f.unloaded() == false);
        QVERIFY(rig.svc.messages.empty());
        f.close();
        QVERIFY(f.unloaded());
        Q_UNUSED(last_lines);
    }

    // ------------------------------------------------------------ buttons

    void theFacesOfEachPhase() {
        Rig rig;
        ShellForm &f = rig.f();
        const auto faces = [&] {
            return std::array<int, 4>{f.knopstart->topFace(), f.knoppause->topFace(), f.knopup->topFace(),
                                      f.knopdown->topFace()};
        };
        using Faces = std::array<int, 4>;
        QCOMPARE(faces(), (Faces{0, 2, 0, 0})); // idle

        rig.svc.advance(250);
        f.knopstart_Click(0);
        QCOMPARE(faces(), (Faces{1, 0, 2, 2})); // Start shows its pressed face over the greyed one
        f.knopstart_Click(0);                   // greyed and busy: nothing
        QCOMPARE(f.intro_row, Integer(0));
        rig.svc.advance(200);
        QCOMPARE(faces(), (Faces{2, 0, 2, 2})); // Start comes back greyed
        QVERIFY(!f.knopstart->faceVisible(0));
        QVERIFY(!f.knopstart->faceVisible(1));

        rig.svc.advance(20 * 50);
        QVERIFY(rig.bring_in(0));
        QCOMPARE(faces(), (Faces{2, 0, 2, 2})); // the game runs
        f.knopup_Click(0);
        f.knopdown_Click(0);
        QCOMPARE(f.level, Integer(0));

        rig.key(plat::kVkEscape, 27); // the exit prompt
        QCOMPARE(faces(), (Faces{2, 2, 2, 2}));
        f.knoppause_Click(0);
        QCOMPARE(f.input_locked, kFalse);
        rig.key(plat::kVkN, 'n');
        QCOMPARE(faces(), (Faces{2, 0, 2, 2}));

        // Pause pressed to resume, then the exit prompt within its 200 ms:
        // the button comes back greyed, as the prompt wants it.
        f.knoppause_Click(0);
        QCOMPARE(f.input_locked, kTrue);
        rig.svc.advance(200);
        f.knoppause_Click(0);
        QCOMPARE(f.input_locked, kFalse);
        rig.svc.advance(20);
        rig.key(plat::kVkEscape, 27);
        QCOMPARE(f.play_on, Integer(0));
        rig.svc.advance(200);
        QCOMPARE(faces(), (Faces{2, 2, 2, 2}));
        f.knoppause_Click(0);
        QCOMPARE(f.knop_busy, kFalse);

        // Yes ends the game; the buttons come back to idle.
        rig.key(plat::kVkY, 'y');
        QVERIFY(rig.run_until([&] { return f.game_on == kFalse; }, 3000));
        QCOMPARE(faces(), (Faces{0, 2, 0, 0}));
    }

    // ------------------------------------------------------------ closing

    void aCloseConfirmedInADropEndsTheProgramCleanly() {
        FaultyFiles files;
        Rig rig(QStringLiteral("Yes"), &files);
        ShellForm &f = rig.f();
        rig.key(plat::kVkF3); // a changed setting: written once at the end
        f.mnu_about_Click();
        QPointer<frmAbout> about = f.about_box;
        QVERIFY(rig.start_game());
        QVERIFY(rig.bring_in(0));
        drop(rig);
        const int first = rig.svc.pumpCount() + 1;
        rig.svc.onPump = [&](int n) {
            if (n == first + 3) {
                rig.svc.post([&] { f.close(); });
            }
        };
        QVERIFY(rig.run_until([&] { return f.unloaded(); }, 1000));
        rig.svc.onPump = nullptr;
        QVERIFY(!f.isVisible());
        QCOMPARE(f.quit_pending, kTrue);
        QCOMPARE(rig.svc.messages.size(), std::size_t(1));
        QCOMPARE(rig.svc.messages[0].text, QStringLiteral("Game not finished! Quit?"));
        QCOMPARE(files.writes, 1);
        const std::vector<bool> hourglass = {true, false};
        QCOMPARE(rig.svc.busy_cursor_history, hourglass);
        const frmAbout *about_now = about.data();
        QVERIFY(about_now == nullptr || !about_now->isVisible());
        for (const TimerState &t : timer_states(f)) {
            QVERIFY(!t.on);
        }
        // Nothing runs on, and a second close asks and writes nothing.
        const auto well_after = f.well.cells;
        rig.svc.advance(5000);
        QCOMPARE(f.well.cells, well_after);
        f.close();
        QCOMPARE(rig.svc.messages.size(), std::size_t(1));
        QCOMPARE(files.writes, 1);
        QCOMPARE(read_file(QDir(rig.dir.path()).filePath(QStringLiteral("zweb.cfg"))),
                 cfg_file("No", "No", "0", "Eng"));
    }

    void answeringNoInADropGoesOnExactlyWhereItWas() {
        Rig rig;
        ShellForm &f = rig.f();
        QVERIFY(rig.start_game());
        QVERIFY(rig.bring_in(0));
        rig.svc.advance(3000); // some countdown gone
        drop(rig);
        rig.svc.answers.push_back(plat::kAnswerNo);
        std::vector<TimerState> before;
        std::vector<TimerState> during;
        std::array<Integer, 13> fig_before{};
        WellArray well_before;
        Integer time_before = 0;
        int row_at_close = -1;
        const int first = rig.svc.pumpCount() + 1;
        rig.svc.onMessage = [&](const plat::VirtualServices::Shown &) { during = timer_states(f); };
        rig.svc.onPump = [&](int n) {
            if (n == first + 3) {
                rig.svc.post([&] {
                    before = timer_states(f);
                    fig_before = f.fig;
                    well_before = f.well;
                    time_before = f.time_left;
                    row_at_close = lowest_row(f);
                    f.close();
                    // Straight after the answer: all as it was.
                    QVERIFY(timer_states(f) == before);
                    QCOMPARE(f.fig, fig_before);
                    QCOMPARE(f.well.cells, well_before.cells);
                    QCOMPARE(f.time_left, time_before);
                });
            }
        };
        QVERIFY(rig.run_until([&] { return rig.landed(); }, 1000));
        rig.svc.onPump = nullptr;
        rig.svc.onMessage = nullptr;
        QCOMPARE(rig.svc.messages.size(), std::size_t(1));
        QVERIFY(!before.empty());
        for (const TimerState &t : during) {
            QVERIFY(!t.on);
        }
        QVERIFY(before[4].on);                          // the countdown ran
        QVERIFY(!before[0].on);                         // the gravity step had stopped its own timer
        QVERIFY(row_at_close > 4 && row_at_close < 19); // truly inside the drop
        QVERIFY(f.isVisible());
        QVERIFY(!f.unloaded());
        QCOMPARE(f.quit_pending, kFalse);
        // The drop went on to the floor, and the game goes on.
        QCOMPARE(lowest_row(f), 19);
        QVERIFY(f.Play_Tmr_Vert->enabled());
        QVERIFY(f.Timer1->enabled());
        const Integer t = f.time_left;
        rig.svc.advance(2000);
        QCOMPARE(int(f.time_left), t - 2);
        QCOMPARE(f.need_fig, kFalse); // the next figure came in
    }
};

QTEST_MAIN(ShellGameTest)
#include "test_shell_game.moc"
