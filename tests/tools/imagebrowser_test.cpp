// The image browser and its viewer: the grid and zoom arithmetic, reading pictures small and
// safely, and the window on folders of real pictures.
#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QTest>

#include "documents/documentwindow.h"
#include "documents/globals.h"
#include "fixture.h"
#include "mainwindow/mdiMain.h"
#include "panes/sidepanel.h"
#include "panes/tagdialogcalls.h"
#include "qstringprint.h"
#include "tools/frmImgBrowser.h"
#include "tools/thumbgrid.h"
#include "tools/thumbnailloader.h"

namespace kavrin::test {
namespace {

TEST(ThumbGridTest, ColumnsRowsAndTheScrollRange) {
    ThumbGrid g = thumbGrid(4400, 2100, 10);
    EXPECT_EQ(g.columns, 4);
    EXPECT_EQ(g.rows, 2);
    EXPECT_EQ(g.scrollMax, 0);  // 10 / 4 - 2 = 0.5 goes to the even 0
    EXPECT_EQ(thumbGrid(4400, 2100, 11).scrollMax, 1);
    EXPECT_EQ(thumbGrid(1259, 2100, 10).columns, 0);
    EXPECT_EQ(thumbGrid(1260, 2100, 10).columns, 1);
    // Scrolled by one row of four: thumbnail 4 stands top left, 9 in the second row.
    EXPECT_EQ(thumbPosition(4, 4, 4), QPoint(0, 0));
    EXPECT_EQ(thumbPosition(9, 4, 4), QPoint(1035, 1035));
    EXPECT_EQ(thumbPosition(6, 4), QPoint(2070, 1035));
}

TEST(ThumbGridTest, ZoomStaysWithinTheLimitsAndTheBarsFollow) {
    // 100 x 80 pixels zoom up to 15; 1600 x 1200 not at all; 2200 wide only shows at 1.
    int z = 1;
    for (int i = 0; i < 20; ++i) z = zoomIn(z, 1500, 1200);
    EXPECT_EQ(z, 15);
    EXPECT_EQ(zoomIn(1, 24000, 18000), 1);
    EXPECT_EQ(fitZoom(3, 33000, 100), 1);
    EXPECT_EQ(fitZoom(15, 3000, 2000), 10);
    EXPECT_EQ(zoomOut(1), 1);
    EXPECT_EQ(zoomOut(4), 3);

    // Wider than the view but not taller: one bar over the full width, no corner block.
    ViewerBars b = viewerBars(6000, 4000, 2, 4500, 1500);
    EXPECT_TRUE(b.horizontal);
    EXPECT_FALSE(b.vertical);
    EXPECT_EQ(b.hRect, QRect(0, 3775, 6000, 225));
    EXPECT_EQ(b.block, QPoint(6000, 4000));
    EXPECT_EQ(b.hMax, 3000);
    EXPECT_EQ(b.hLarge, 300);
    EXPECT_EQ(b.hSmall, 30);
    b = viewerBars(6000, 4000, 1, 9000, 9000);
    EXPECT_EQ(b.vRect, QRect(5775, 0, 225, 3775));
    EXPECT_EQ(b.block, QPoint(5775, 3775));
    EXPECT_EQ(b.vMax, 9000 - 3775);

    EXPECT_EQ(imageSizeText(1023), "Size: 1023bytes");
    EXPECT_EQ(imageSizeText(2047), "Size: 1KB");
}

// A small GIF that claims a 65535 x 65535 screen: its decoder cannot scale, so it is never decoded.
QByteArray hugeGif() {
    QByteArray gif("GIF89a\xFF\xFF\xFF\xFF\x80\x00\x00", 13);
    gif += QByteArray(6, '\0');                                    // two palette entries
    gif += QByteArray("\x2C\0\0\0\0\xFF\xFF\xFF\xFF\0\x02\x02\x44\x01\0\x3B", 16);
    return gif;
}

QByteArray picture(int width, int height, const char* format, QColor color = Qt::darkCyan) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

class ImageBrowserTest : public KavrinTest {
protected:
    void SetUp() override {
        KavrinTest::SetUp();
        mainWindow = new mdiMain();
        mainWindow->show();
    }

    static bool waitUntilLoaded(frmImgBrowser& b) {
        QElapsedTimer clock;
        clock.start();
        while ((b.loading() || (b.currentImage > 0 && !b.viewedAtFullSize())) && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        return !b.loading();
    }

    // Opens the browser from the Tools menu on the folder the file explorer shows.
    void browse(const QString& folder, const std::function<void(frmImgBrowser&)>& drive) {
        mainWindow->files->setPath(folder);
        mainWindow->setTreePath(folder);
        expectModal("frmImgBrowser", [drive](Form& form) {
            auto& b = static_cast<frmImgBrowser&>(form);
            EXPECT_TRUE(b.isVisible());
            EXPECT_EQ(b.caption(), "Image Browser");
            ASSERT_TRUE(waitUntilLoaded(b));
            drive(b);
        });
        mainWindow->mnuToolsImageBrowser->trigger();
    }
};

TEST(PictureReadTest, PicturesAreReadSmallAndBadOnesGiveNothing) {
    QTemporaryDir dir;
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    };
    QSize natural;
    const QImage small = readPicture(write("big.jpg", picture(2000, 1500, "JPG")), QSize(65, 65), &natural);
    EXPECT_EQ(natural, QSize(2000, 1500));
    EXPECT_EQ(small.width(), 65);
    EXPECT_NEAR(small.height(), 49, 1);
    EXPECT_EQ(readPicture(write("big2.jpg", picture(300, 200, "JPG")), QSize()).size(), QSize(300, 200));
    EXPECT_TRUE(readPicture(write("empty.gif", ""), QSize(65, 65)).isNull());
    EXPECT_TRUE(readPicture(write("noise.jpg", "not a picture at all"), QSize(65, 65)).isNull());
    EXPECT_TRUE(readPicture(write("huge.gif", hugeGif()), QSize(65, 65), &natural).isNull());
    EXPECT_EQ(natural, QSize(65535, 65535));
}

TEST_F(ImageBrowserTest, AFolderLoadsGifsThenJpegsAndBadPicturesStayEmpty) {
    writeFile("pics/b.gif", picture(100, 80, "GIF"));
    writeFile("pics/a.gif", hugeGif());
    writeFile("pics/C.JPG", picture(640, 480, "JPG", Qt::red));
    writeFile("pics/d.jpeg", picture(30, 40, "JPG"));
    writeFile("pics/broken.jpg", picture(640, 480, "JPG").left(300) + QByteArray(50, '\x13'));
    writeFile("pics/empty.jpg", "");
    writeFile("pics/notes.txt", "not a picture");
    writeFile("pics/.hidden.gif", picture(10, 10, "GIF"));
    const QString folder = workDir + "pics";

    browse(folder, [&](frmImgBrowser& b) {
        EXPECT_EQ(b.imagePaths, (QStringList{folder + "/a.gif", folder + "/b.gif", folder + "/broken.jpg",
                                             folder + "/C.JPG", folder + "/empty.jpg", folder + "/d.jpeg"}));
        EXPECT_EQ(b.imageCount, 6);
        for (int k = 0; k < 6; ++k) EXPECT_TRUE(b.imgThumb[k]->holding()) << k;
        EXPECT_FALSE(b.imgThumb[6]->holding());
        // Pictures that cannot be read keep an empty thumbnail; the others are thumbnail size.
        EXPECT_TRUE(b.imgThumb[0]->picture().isNull());
        EXPECT_TRUE(b.imgThumb[4]->picture().isNull());
        EXPECT_LE(b.imgThumb[3]->picture().width(), b.imgThumb[3]->width());
        EXPECT_EQ(b.panel(5)->text(), "Image 1 of 6");
        EXPECT_EQ(b.panel(1)->text(), "a.gif");

        // A click shows the picture, read at its own size for viewing.
        b.imgThumb[3]->Click(3);
        ASSERT_TRUE(waitUntilLoaded(b));
        EXPECT_EQ(b.currentImage, 4);
        EXPECT_EQ(b.viewedPicture().size(), QSize(640, 480));
        EXPECT_EQ(b.panel(2)->text(), "Width: 640");
        EXPECT_EQ(b.panel(3)->text(), "Height: 480");
        EXPECT_EQ(b.panel(5)->text(), "Image 4 of 6");
        EXPECT_TRUE(b.panel(4)->text().endsWith("KB") || b.panel(4)->text().endsWith("bytes"));
        // 640 pixels are 9600 twips: three times that still fits below 32767.
        QTest::mouseClick(b.picMain, Qt::LeftButton);
        EXPECT_EQ(b.viewerZoom, 2);
        EXPECT_TRUE(b.HScroll->isVisible() || b.VScroll->isVisible());
        QTest::mouseClick(b.picMain, Qt::LeftButton);
        QTest::mouseClick(b.picMain, Qt::LeftButton);
        EXPECT_EQ(b.viewerZoom, 3);
        QTest::mouseClick(b.picMain, Qt::RightButton);
        EXPECT_EQ(b.panel(6)->text(), "Zoom x2");

        // The arrows step round the pictures.
        b.picThumbWin->setFocus();
        QTest::keyClick(&b, Qt::Key_Right);
        QTest::keyClick(&b, Qt::Key_Right);
        QTest::keyClick(&b, Qt::Key_Right);
        EXPECT_EQ(b.currentImage, 1);
        QTest::keyClick(&b, Qt::Key_Left);
        EXPECT_EQ(b.currentImage, 6);

        // A double-click hands the picture to the image dialog.
        expectModal("frmImage", [](Form& dialog) { dialog.unload(); });
        tagDialogRequests().clear();
        b.imgThumb[1]->DblClick(1);
        EXPECT_EQ(tagDialogRequests(), QStringList{"frmImage: " + folder + "/b.gif"});

        // Another folder: without pictures.
        b.setDirPath(workDir);
        EXPECT_EQ(b.imageCount, 0);
        EXPECT_EQ(b.panel(5)->text(), "0 Images");
        EXPECT_EQ(b.currentImage, -1);
        EXPECT_FALSE(b.imgThumb[0]->holding());
        b.imgThumb[0]->Click(0);
        EXPECT_EQ(b.currentImage, -1);
        b.unload();
    });
}

// Whatever page is open, the browser starts where the folder tree stands.
TEST_F(ImageBrowserTest, ItOpensOnTheFolderSelectedInTheFolderTree) {
    writeFile("tree/a.gif", picture(20, 20, "GIF"));
    writeFile("site/b.gif", picture(20, 20, "GIF"));
    mainWindow->openFile(writeFile("site/page.htm", "<img src=b.gif>"));
    ASSERT_NE(activeDocument(), nullptr);
    mainWindow->setTreePath(workDir + "tree");
    ASSERT_EQ(mainWindow->selectedTreeFolder(), workDir + "tree");
    expectModal("frmImgBrowser", [&](Form& form) {
        auto& b = static_cast<frmImgBrowser&>(form);
        ASSERT_TRUE(waitUntilLoaded(b));
        EXPECT_EQ(b.imagePaths, QStringList{workDir + "tree/a.gif"});
        b.unload();
    });
    mainWindow->mnuToolsImageBrowser->trigger();
}

TEST_F(ImageBrowserTest, AtMostThreeHundredPicturesAndTheGridScrollsByRows) {
    const QByteArray dot = picture(8, 8, "GIF");
    for (int i = 0; i < 301; ++i) writeFile(QString("many/%1.gif").arg(i, 3, 10, QChar('0')), dot);
    browse(workDir + "many", [](frmImgBrowser& b) {
        EXPECT_EQ(b.imageCount, 300);
        EXPECT_TRUE(b.imagePaths.last().endsWith("/299.gif"));
        EXPECT_EQ(b.panel(5)->text(), "Image 1 of 300");
        // A pane four thumbnails wide.
        b.picThumbWin->resize(4400 / 15, 2100 / 15);
        const ThumbGrid grid = thumbGrid(b.picThumbWin->width() * 15, b.picThumbWin->height() * 15, 300);
        ASSERT_EQ(grid.columns, 4);
        ASSERT_TRUE(b.thmVScroll->isVisible());
        EXPECT_EQ(b.thmVScroll->maximum(), grid.scrollMax);
        b.thmVScroll->setValue(1);
        EXPECT_EQ(b.imgThumb[4]->pos(), QPoint(0, 0));
        EXPECT_LT(b.imgThumb[3]->y(), 0);

        // The splitter stops 1400 twips from the left.
        const int start = b.picSplitter->x();
        b.picSplitter_MouseDown(1, 0, 0, 0);
        b.picSplitter_MouseMove(1, 0, -start, 0);
        b.picSplitter_MouseUp(1, 0, 0, 0);
        EXPECT_EQ(b.picSplitter->x(), 1400 / 15);
        EXPECT_EQ(b.picMain->x(), b.picSplitter->x() + 5);
    });
}

}  // namespace
}  // namespace kavrin::test
