#pragma once

// Resource numbers of the program: menus, dialogs, controls, commands, strings, bitmaps
// and cursors. Windows looked these up in the executable's resource section; here they are
// plain constants, and the images behind the bitmap and cursor numbers are drawn in code
// (DrawnBitmaps.h, Cursors.h).
namespace ResId {

// Menu bar and accelerator table of the main frame.
inline constexpr int kMainMenu = 128;
inline constexpr int kAccelerators = 128;

// Strings.
inline constexpr int kStrOleInitFailed = 100;
inline constexpr int kStrDocTemplate = 128;
inline constexpr int kStrAppName = 57344;

// Dialog templates.
inline constexpr int kDlgAbout = 100;
inline constexpr int kDlgButtons = 130;       // ButtDlg: text / lesson / full screen
inline constexpr int kDlgAnimation = 131;     // ButtFullDlg: "Анимация"
inline constexpr int kDlgVideo = 132;         // AviDlg
inline constexpr int kDlgLoad = 133;          // LoadDlg: "Загрузка..."
inline constexpr int kDlgLessonStart = 134;   // ButtLess1: "Начать урок"
inline constexpr int kDlgExitFull = 136;      // ButtEscDlg: full-screen exit button
inline constexpr int kDlgFlash = 141;         // SwfDlg
inline constexpr int kDlgLessonPalette = 150; // LessDlg: "Редактирование урока"

// Controls inside the dialogs.
inline constexpr int kIdcToggleText = 1000;
inline constexpr int kIdcAddToLesson = 1002;
inline constexpr int kIdcFullScreen = 1004;
inline constexpr int kIdcButton = 1005; // the one button of a panel; "Добавить из файла" in 150
inline constexpr int kIdcProgress = 1006;
inline constexpr int kIdcFlash = 1008;
inline constexpr int kIdcDeletePicture = 1010;
inline constexpr int kIdcMovePicture = 1011;
inline constexpr int kIdcUndo = 1012;
inline constexpr int kIdcSaveLesson = 1013;
inline constexpr int kIdcNewLesson = 1014;
inline constexpr int kIdcOpenLesson = 1015;

// Menu commands.
inline constexpr int kCmdAbout = 32775;
inline constexpr int kCmdOpenLesson = 32776;
inline constexpr int kCmdSaveLesson = 32777;
inline constexpr int kCmdStartLesson = 32780;
inline constexpr int kCmdNewLesson = 32781;
inline constexpr int kCmdContinueLesson = 32782;
inline constexpr int kCmdAddAllToLesson = 32783;
inline constexpr int kCmdShowTopic = 32784;
inline constexpr int kCmdEditLesson = 32785;
// Not in the original program: handouts of the lesson.
inline constexpr int kCmdPrintLesson = 32786;
inline constexpr int kCmdLessonPdf = 32787;
inline constexpr int kCmdFileNew = 57600;
inline constexpr int kCmdFileOpen = 57601;
inline constexpr int kCmdFileSave = 57603;
inline constexpr int kCmdHelp = 57670;

// Bitmaps of the skin buttons.
inline constexpr int kBmpExitFullScreen = 139;
inline constexpr int kBmpMovePicture = 154;
inline constexpr int kBmpDeletePicture = 155;
inline constexpr int kBmpAddFromFile = 156;
inline constexpr int kBmpSaveLesson = 157;
inline constexpr int kBmpUndo = 158;
inline constexpr int kBmpNewLesson = 161;
inline constexpr int kBmpOpenLesson = 162;

// Cursors.
inline constexpr int kCurDrag = 144;        // preview: dragging the picture (middle button)
inline constexpr int kCurZoom = 146;        // preview: wheel zoom
inline constexpr int kCurPlayback = 147;    // preview in full-screen mode: step back / forward
inline constexpr int kCurPoint = 149;       // plate strip and lesson row: over the pictures
inline constexpr int kCurMovePicture = 160; // lesson row: moving a picture
// Not in the original program: the preview's pen and arrow over the shown picture.
inline constexpr int kCurPen = 170;       // a pencil, hot spot at its tip
inline constexpr int kCurArrowTool = 171; // a cross, hot spot in its centre, and a red arrow

} // namespace ResId
