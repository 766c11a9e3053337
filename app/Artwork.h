#pragma once
// The program's pictures, drawn in code: the tree's image list, the caption
// and transport glyphs, the hidden glyph sources and the cursors.

#include <QCursor>
#include <QFont>
#include <QIcon>
#include <QPixmap>

#include <vector>

namespace kt::art {

// ImageList1: 0 closed folder, 1 open folder, 2 hard disk, 3 CD drive,
// 4 network, 5 single computer, 6 crossed-out CD; 16 × 16 each.
QPixmap TreeImage(int index);
inline constexpr int kTreeImageCount = 7;

// 13 × 11 glyphs of the caption buttons: 0 full screen, 1 player, 2 volume, 3 help.
QPixmap CaptionGlyph(int index);
// Transport glyphs, 0 previous … 4 next; active shows the button of the play state.
QPixmap TransportGlyph(int index, bool active = false);
// The seven hidden 17 × 17 pictures of the top right panel (Image1 … Image7):
// play, pause and stop each unlit and lit, then the about entry's picture.
QPixmap HiddenPicture(int index);
QIcon ProgramIcon();
// The windows' font: Liberation Sans in place of MS Sans Serif, 8 points.
QFont DesignFont();

// Cursors: 100 confirmation, 101 copying (animated: one frame per step),
// 102 … 117 the frames of the search progress.
QCursor ConfirmCursor();
std::vector<QCursor> CopyCursorFrames();
QCursor SearchCursor(int frame);  // 0 … 15

}  // namespace kt::art
