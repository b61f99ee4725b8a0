// The main window. It owns every piece of state of the whole run: the well,
// the falling figure, the tables, the counters and flags of the game, the
// settings, the score table, the captions, the clips and the pictures.
// Its member functions live in files grouped by subsystem:
//   engine/   state and start-up, figures, gravity, levels, phases, keys, sound
//   render/   cells, preview, trophy
//   msgbox/   prompts and animated messages
//   scores/   score file, table, name entry
//   shell/    layout, configuration, buttons, captions, lifecycle, dialogs
#pragma once

#include "platform/keyboard.h"
#include "platform/picture_box.h"
#include "platform/services.h"
#include "platform/widgets.h"

#include <QByteArray>
#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <random>

class QAction;
class QMenu;
class frmAbout;
class frmAbout1;

// The game's number types: Integer 16-bit signed, Long 32-bit signed,
// Single 32-bit float, Byte 8-bit unsigned. A flag is an Integer holding -1
// for true and 0 for false.
using Integer = std::int16_t;
using Long = std::int32_t;
using Single = float;
using Byte = std::uint8_t;
constexpr Integer kTrue = -1;
constexpr Integer kFalse = 0;

// The language of every text: -1 Russian, 0 English. Program-wide because
// the dialogs read it too.
extern Integer lang_rus;

// Rounds to the nearest integer, halves to the even neighbour.
[[nodiscard]] Long round_half_even(double v);

// The ten cells of a row times the 21 rows, walls and floor included,
// stored column-fastest.
struct WellArray {
    std::array<Integer, 10 * 21> cells{};
    static std::size_t at(int x, int y) { return static_cast<std::size_t>(x) + 10U * static_cast<std::size_t>(y); }
    Integer &operator()(int x, int y) { return cells[at(x, y)]; }
    Integer operator()(int x, int y) const { return cells[at(x, y)]; }
};

// A text in both languages.
struct CaptionPair {
    QString rus;
    QString eng;
};

class Form1 : public QMainWindow {
public:
    explicit Form1(plat::Services &services, QWidget *parent = nullptr);
    ~Form1() override;
    Form1(const Form1 &) = delete;
    Form1 &operator=(const Form1 &) = delete;

    // The window's load: the whole start-up sequence, ending with the
    // window shown.
    void Form_Load();

    // The three public operations of the window.
    void draw_msg(Integer x, Integer y, Integer pad_w, Integer pad_h, Long back_color, Long fore_color,
                  const QString &text);
    void rotate();
    void NoisePlay(const QByteArray &clip, Integer flags);

    // Input as the window system delivers it: a key to whichever box holds
    // the keyboard (key-down, then the typed character, -1 for none).
    void deliverKey(int key_code, int shift = 0, int char_code = -1);
    [[nodiscard]] bool unloaded() const { return unloaded_; }
    // The system ends the program (a signal, the user logging off): what a close does, without the question
    // that nobody is left to answer.
    void end_session();
    // The session manager asks the program to end as the user logs off: a close's question when one may be
    // asked, and No calls the log-off off.
    void log_off(plat::LogOffRequest &request);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool focusNextPrevChild(bool next) override;

    // Everything below is the window's own. It is protected rather than
    // private only so that tests can reach it through a subclass.
    // ---- shell/layout.cpp: controls, timers and their wiring
    void create_controls();
    void create_menus();
    void create_timers();

    // ---- engine/startup.cpp
    // (Form_Load above)

    // ---- engine/figures.cpp
    void init_spawn_table();
    void init_rotation_tables();
    void spawn_figure(Integer type, Integer &status);
    void lift_cell(Integer i);
    void place_figure(Integer &blocked);
    void move_sideways(Integer direction, Integer &blocked);
    void move_down(Integer &mode, Integer &blocked);
    void random_int(Integer lo, Integer hi, Integer &result);

    // ---- engine/gravity.cpp
    void Play_Tmr_Vert_Timer();
    // Ends the game one of its five ways (well full, time over, completed, top ten, new best): the message,
    // its clip, and the end-of-game wait.
    void end_game(int ending);
    void freeze_figure();
    void clear_full_rows(Integer &count);
    void remove_row(Integer row);

    // ---- engine/levels.cpp
    void init_level_tables();
    void init_line_points();
    void Timer1_Timer();
    void check_reset();
    // Adds the time bonus of a completed level to score (capped at 9999)
    // and returns the bonus.
    Integer add_time_bonus();
    // "Level 1" CR LF "50x200" in the current language.
    [[nodiscard]] QString level_caption() const;
    void set_level_label();

    // ---- engine/phases.cpp
    void start_game();
    // Help and Language together: out of reach while a game runs.
    void set_menus_enabled(bool on);
    void clear_well();
    void Stk_output_Timer();
    void Timer_Wait_Timer();

    // ---- engine/keys.cpp
    void Picture1_KeyDown(Integer key_code, Integer shift);

    // ---- engine/sound.cpp
    void play_long_clip(int id);

    // ---- msgbox/prompts.cpp
    void toggle_pause();
    void ask_exit();
    void close_prompt();
    void Picture2_KeyDown(Integer key_code, Integer shift);

    // ---- msgbox/event_msg.cpp
    void open_msg(Integer pad_w, Integer pad_h, Long back_color, Long fore_color);
    bool open_msg_step();
    void print_msg_lines(Integer x, Integer y);
    void open_win_Timer();
    // Puts Picture2 in the middle of the play area.
    void centre_msg_box();
    // The raised edge of the message box, light above and left.
    void draw_msg_frame();

    // ---- render/cells.cpp
    void draw_cell(Long x, Long y, Integer image);
    void redraw_well();
    void redraw_figure_area();
    void paint_filled_cells(Integer image);
    void draw_well_rows(Integer &rows);
    void fill_box(Long left, Long top, Long right, Long bottom, plat::PictureBox *dc, Long color);
    // The Block image for a well value: 0 empty, below 100 settled, else falling.
    [[nodiscard]] static Integer cell_image(Integer value);
    // fill_box over a box's whole scale rectangle.
    void blank_box(plat::PictureBox *box, Long color);

    // ---- render/preview.cpp
    void draw_next_cell(Long x, Long y);
    void draw_next_figure(Integer type);

    // ---- render/trophy.cpp
    void draw_trophy(Long x, Long y, Integer which);

    // ---- scores/score_file.cpp
    [[nodiscard]] QString score_path();
    Integer check_score_file();
    void load_scores(std::array<Integer, 10> &values, std::array<QString, 10> &names);
    bool create_score_file(const QString &path);
    bool save_scores(std::array<Integer, 10> &values, std::array<QString, 10> &names);
    Integer find_score_place(Integer new_score, std::array<Integer, 10> &values, std::array<QString, 10> &names);
    void show_scores(Integer new_score, Byte check_new);

    // ---- scores/score_table.cpp
    void draw_score_table(std::array<Integer, 10> &values, std::array<QString, 10> &names);

    // ---- scores/name_entry.cpp
    void init_char_table();
    void start_name_entry();
    void draw_name_box();
    void Picture2_KeyPress(Integer char_code);
    void Timer2_Timer();
    void Picture2_LostFocus();
    void Next_fig_win_GotFocus();

    // ---- shell/config.cpp
    [[nodiscard]] QString cfg_path();
    void init_cfg_keys();
    void load_config();
    void default_config();
    void save_config();

    // ---- shell/buttons.cpp
    void load_button_faces();
    void init_buttons();
    void buttons_idle();
    void enable_knopstart();
    void enable_knoppause();
    void enable_knopup();
    void enable_knopdown();
    void disable_knopstart();
    void disable_knoppause();
    void disable_knopup();
    void disable_knopdown();
    void press_knopstart();
    void press_knoppause();
    void press_knopup();
    void press_knopdown();
    void level_up();
    void level_down();
    void toggle_sound();
    void toggle_next();
    void pause_game();
    void knopstart_Click(Integer index);
    void knoppause_Click(Integer index);
    void knopup_Click(Integer index);
    void knopdown_Click(Integer index);
    void knopsound_Click(Integer index);
    void knopnext_Click(Integer index);
    void knop_prs_Timer();

    // ---- shell/captions.cpp
    void init_captions();
    void init_menu_captions();
    void set_russian_captions();
    void set_english_captions();
    void apply_captions(bool rus);
    void mnu_rus_Click();
    void mnu_eng_Click();
    // Entry n of capt_tbl in the current language.
    [[nodiscard]] QString caption(int entry) const;

    // ---- shell/lifecycle.cpp
    void Form_QueryUnload(Integer &cancel, Integer unload_mode);
    void Form_Unload(Integer &cancel);
    // The seven timers, in the order a close freezes them.
    [[nodiscard]] std::array<plat::Timer *, 7> all_timers() const;
    // Closes the window for good (after a confirmed close, from the gravity step).
    void unload_main_window();

    // ---- shell/dialogs.cpp
    void mnu_about_Click();
    void Ctrls_Click();

    // ================= state =================
    plat::Services &svc;
    plat::KeyboardFocus focus;
    bool unloaded_ = false;

    // The well, the falling figure and the cells before the latest move.
    WellArray well;
    std::array<Integer, 13> fig{};
    std::array<Integer, 5> save_x{};
    std::array<Integer, 5> save_y{};

    // Figure tables: start cells per type as (column, row) pairs, and the
    // rotation deltas rot_dx[type][4 * step + cell].
    std::array<std::array<Integer, 8>, 7> spawn_tbl{};
    std::array<std::array<Integer, 17>, 8> rot_dx{};
    std::array<std::array<Integer, 17>, 8> rot_dy{};

    // Level and scoring tables.
    std::array<Integer, 15> lvl_time{};
    std::array<Integer, 15> lvl_lines{};
    std::array<Integer, 15> lvl_speedup{};
    std::array<Integer, 5> line_pts{};

    // Counters of the current game.
    Integer level = 0;
    Integer lines = 0;
    Integer score = 0;
    Integer time_left = 0;
    Integer fall_interval = 0;
    Integer speedup_secs = 0;
    Integer interval_step = 0;
    Integer reset_blink = 0;
    Integer next_fig = 0;

    // Phase flags and counters.
    Integer game_on = 0;
    Integer play_on = 0;
    Integer input_locked = 0;
    Integer need_fig = 0;
    Integer drop_req = 0;
    Integer time_over = 0;
    Integer quit_pending = 0;
    Integer msg_closed = 0;
    Byte end_code = 0;
    Integer wait_step = 0;
    Integer intro_row = 0;

    // Sound clips.
    QByteArray snd_land;
    QByteArray snd_lines1;
    QByteArray snd_lines2;
    QByteArray snd_lines3;
    QByteArray snd_lines4;
    QByteArray snd_close;
    QByteArray snd_long;

    // Drawing values.
    Integer pic_left = 0;
    Integer pic_top = 0;
    Single cell_w = 0.0F;
    Single cell_h = 0.0F;
    Long face_color = 0;

    // The random generator behind random_int.
    std::mt19937 rng;

    // Settings.
    Integer sound_on = 0;
    Integer next_on = 0;
    Integer settings_changed = 0;

    // Texts.
    QString prog_title;
    QString sco_magic;
    QString cfg_magic;
    std::array<QString, 4> cfg_keys;
    std::array<CaptionPair, 8> capt_tbl;
    std::array<CaptionPair, 6> menu_capt_tbl;

    // Score table.
    std::array<QString, 10> score_names;
    std::array<Integer, 10> score_values{};
    Integer new_place = 0;

    // Name entry.
    QString char_table;
    QString name_text;
    QString name_cut;
    Integer name_count = 0;
    Integer name_x = 0;
    Integer name_y = 0;
    Integer name_done = 0;
    Integer name_typing = 0;
    Integer name_entry_on = 0;
    Integer cursor_draw_next = 0;

    // Animated message.
    QString msg_lines;
    Integer msg_w = 0;
    Integer msg_h = 0;
    Integer msg_cur_w = 0;
    Integer msg_cur_h = 0;

    // Image buttons.
    Integer knop_busy = 0;
    Integer knopstart_prs = 0;
    Integer knoppause_prs = 0;
    Integer knopup_prs = 0;
    Integer knopdown_prs = 0;
    Integer knopstart_en = 0;
    Integer knoppause_en = 0;
    Integer knopup_en = 0;
    Integer knopdown_en = 0;

    // Controls.
    QWidget *client = nullptr;
    plat::PictureBox *Picture1 = nullptr;
    plat::PictureBox *Picture2 = nullptr;
    plat::PictureBox *Next_fig_win = nullptr;
    plat::Label *Label_Lev = nullptr;
    plat::Label *Label_lines = nullptr;
    plat::Label *Label_Bon = nullptr;
    plat::Label *Label_ln_num = nullptr;
    plat::Label *Label_Bon_Num = nullptr;
    plat::Label *Label_SCORE = nullptr;
    plat::Label *Label_Time = nullptr;
    plat::Label *Label_Score_Num = nullptr;
    plat::Label *Label_Time_Num = nullptr;
    plat::Label *Label_Next = nullptr;
    plat::ImageArray *knopstart = nullptr;
    plat::ImageArray *knoppause = nullptr;
    plat::ImageArray *knopsound = nullptr;
    plat::ImageArray *knopnext = nullptr;
    plat::ImageArray *knopup = nullptr;
    plat::ImageArray *knopdown = nullptr;
    // Picture holders, never shown: the twelve cell pictures, the cup and
    // the crown (element 0 the mask, element 1 the picture).
    std::array<QImage, 12> Block;
    std::array<QImage, 2> cup;
    std::array<QImage, 2> crown;
    QMenu *HLP = nullptr;
    QAction *mnu_about = nullptr;
    QAction *Ctrls = nullptr;
    QMenu *LNGTT = nullptr;
    QAction *mnu_rus = nullptr;
    QAction *mnu_eng = nullptr;

    // The seven timers.
    std::unique_ptr<plat::Timer> Play_Tmr_Vert;
    std::unique_ptr<plat::Timer> Timer1;
    std::unique_ptr<plat::Timer> Stk_output;
    std::unique_ptr<plat::Timer> Timer_Wait;
    std::unique_ptr<plat::Timer> open_win;
    std::unique_ptr<plat::Timer> Timer2;
    std::unique_ptr<plat::Timer> knop_prs;

    // The two dialogs, while open.
    QPointer<frmAbout> about_box;
    QPointer<frmAbout1> keys_box;
};

// The program's start routine: Russian until the configuration says
// otherwise, then the main window is created and loaded (which shows it).
std::unique_ptr<Form1> start_program(plat::Services &services);
