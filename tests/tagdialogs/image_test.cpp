// The image dialog as a user works it: fields in their order, an edited img tag, real pictures
// chosen from a saved and from an untitled document, the zoomable preview, the file list's and
// image browser's ways in, and pictures that cannot be read.
#include <QApplication>
#include <QClipboard>
#include <QImageWriter>

#include "mainwindow/frmDontShow.h"
#include "platform/system/screen.h"
#include "tagdialogs/text/frmImage.h"
#include "tagtest.h"

namespace kavrin::test {
namespace {

// A 3 by 2 GIF: blue at its top left corner, red elsewhere.
const QByteArray kSmallGif = QByteArray::fromHex(
    "474946383961030002"
    "00f00000ff00000000ff21f90400000000002c0000000003000200000203"
    "0c7e05003b");

const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kRed = qRgb(255, 0, 0);

class ImageTest : public TagDialogTest {
protected:
    void TearDown() override {
        fileListSelectedPath = nullptr;
        TagDialogTest::TearDown();
    }

    // Saves the document as site/page.htm under the work folder.
    void saveInSite() {
        QDir().mkpath(workDir + "site");
        expectSave(workDir + "site/page.htm");
        saveDocument(doc);
        ASSERT_EQ(documentFolder, workDir + "site/");
    }

    // A picture of w by h pixels, red with a blue top-left pixel, saved at `relative` under the
    // work folder in the format its extension names.
    QString picture(const QString& relative, int w, int h) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(kRed);
        image.setPixel(0, 0, kBlue);
        const QString path = workDir + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(image.save(path)) << path.toStdString();
        return path;
    }

    void insertImage(std::function<void(frmImage&)> drive) {
        expectDialogWindow<frmImage>("frmImage", drive);
        mainWindow->mnuInsertImage->trigger();
        EXPECT_EQ(Form::forms().size(), baseForms) << "the dialog must be gone";
        EXPECT_EQ(dialogKind, "");
    }

    void editImage(const QString& marked, std::function<void(frmImage&)> drive) {
        setDocument(marked);
        ASSERT_TRUE(editTagOffered());
        expectDialogWindow<frmImage>("frmImage", drive);
        mainWindow->mnuPopupEditTag->trigger();
    }

    // The colour of the preview's inner pixel (x, y).
    static QRgb previewPixel(frmImage& d, int x, int y) {
        const QPoint at = d.picImage->contentsRect().topLeft() + QPoint(x, y);
        return d.picImage->grab().toImage().pixel(at);
    }

    static void click(frmImage& d, Qt::MouseButton button) { QTest::mouseClick(d.picImage, button, {}, QPoint(20, 20)); }
};

TEST_F(ImageTest, UntouchedDialogWritesAnEmptySourceBeforeTheSelection) {
    setDocument("a|sel|b");
    insertImage([](frmImage& d) {
        EXPECT_EQ(d.caption(), "Image");
        EXPECT_TRUE(d.txtSrc->hasFocus() || !d.isActiveWindow());
        EXPECT_FALSE(d.fraPreview->isVisible());
        EXPECT_EQ(d.zoomFactor, 0);
        // Rescale before any picture writes nothing: a height and width of 0 hide the image.
        EXPECT_FALSE(d.cmdHeightWidth->isEnabled());
        d.cmdHeightWidth_Click();
        EXPECT_EQ(d.txtHeight->text(), "");
        EXPECT_EQ(d.txtWidth->text(), "");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "a<img src=\"\">selb");
}

TEST_F(ImageTest, TabsAlignmentPictureAndNumberFields) {
    insertImage([](frmImage& d) {
        EXPECT_TRUE(d.fraImage->isVisible());
        EXPECT_FALSE(d.fraIE->isVisible());
        d.tbsMain->setCurrentIndex(1);
        EXPECT_FALSE(d.fraImage->isVisible());
        EXPECT_TRUE(d.fraIE->isVisible());
        EXPECT_TRUE(d.fraNetscape->isVisible());
        EXPECT_EQ(d.fraIE->title(), "Internet Explorer");
        EXPECT_EQ(d.fraNetscape->title(), "Netscape");

        // Loop and Loop Delay take digits only; editing keys still work.
        type(d.txtLoop, "1a2");
        EXPECT_EQ(d.txtLoop->text(), "12");
        QTest::keyClick(d.txtLoop, Qt::Key_Backspace);
        EXPECT_EQ(d.txtLoop->text(), "1");
        type(d.txtLoopDelay, "x9");
        EXPECT_EQ(d.txtLoopDelay->text(), "9");
        d.chkInfinite->click();
        EXPECT_FALSE(d.txtLoop->isEnabled());
        EXPECT_EQ(d.txtLoop->text(), "1");
        d.chkInfinite->click();
        EXPECT_TRUE(d.txtLoop->isEnabled());

        // A pick from the list shows its picture; typing leaves it; the empty entry clears it.
        d.tbsMain->setCurrentIndex(0);
        EXPECT_EQ(d.cboAlignment->count(), 10);
        QTest::keyClick(d.cboAlignment, Qt::Key_Down);
        QTest::keyClick(d.cboAlignment, Qt::Key_Down);
        ASSERT_EQ(d.cboAlignment->currentText(), "left");
        EXPECT_EQ(d.imgAlign->pixmap().toImage(), frmImage::alignmentPicture(4).toImage());
        clear(d.cboAlignment);
        type(d.cboAlignment, "right");
        EXPECT_EQ(d.imgAlign->pixmap().toImage(), frmImage::alignmentPicture(4).toImage());
        QTest::keyClick(d.cboAlignment, Qt::Key_Up);
        QTest::keyClick(d.cboAlignment, Qt::Key_Up);
        ASSERT_EQ(d.cboAlignment->currentText(), "");
        EXPECT_TRUE(d.imgAlign->pixmap().isNull());
        for (int i = 1; i <= 7; ++i) EXPECT_EQ(frmImage::alignmentPicture(i).height(), 24);
        EXPECT_EQ(frmImage::alignmentPicture(5).width(), 41);
        d.cmdCancel->click();
    });
    EXPECT_EQ(text(), "");
}

TEST_F(ImageTest, EveryFieldIsWrittenInItsOrder) {
    setDocument("|");
    insertImage([](frmImage& d) {
        d.tbsMain->setCurrentIndex(1);
        d.chkControls->click();
        type(d.cboStart, "fileopen");
        type(d.txtLoopDelay, "7");
        type(d.txtLoop, "5");
        d.chkInfinite->click();
        type(d.txtDynSrc, "clip.avi");
        type(d.txtLowsrc, "low.gif");
        d.tbsMain->setCurrentIndex(0);
        d.chkIsmap->click();
        type(d.txtUseMap, "map");
        d.updBorder->downButton->click();  // empty goes to 0
        type(d.txtWidth, "4");
        type(d.txtHeight, "3");
        d.updHspace->upButton->click();
        d.updHspace->upButton->click();
        d.updVspace->upButton->click();
        type(d.cboAlignment, "middle");
        type(d.txtAlt, "A \"q\"");
        type(d.txtSrc, "pic.gif");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(),
              "<img src=\"pic.gif\" lowsrc=\"low.gif\" alt=\"A &quot;q&quot;\" align=\"middle\" vspace=\"1\""
              " hspace=\"2\" height=\"3\" width=\"4\" border=\"0\" usemap=\"#map\" ISMAP dynsrc=\"clip.avi\""
              " loop=\"infinite\" loopdelay=\"7\" start=\"fileopen\" controls>");

    setDocument("|");
    insertImage([](frmImage& d) {
        type(d.txtUseMap, "#m");
        type(d.txtLoop, "5");
        type(d.txtAlt, " ");  // only blanks is still a value
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<img src=\"\" alt=\" \" usemap=\"#m\" loop=\"5\">");
}

TEST_F(ImageTest, EditedTagKeepsWhatTheDialogHasNoFieldFor) {
    editImage("x<IMG SRC=\"pic.gif\" ISMAP loop=infinite onMouseOver=\"go()\" bor|der>y", [](frmImage& d) {
        EXPECT_TRUE(editingTag);
        EXPECT_EQ(d.txtSrc->text(), "pic.gif");
        EXPECT_TRUE(d.chkIsmap->isChecked());
        EXPECT_TRUE(d.chkInfinite->isChecked());
        EXPECT_FALSE(d.txtLoop->isEnabled());
        EXPECT_EQ(d.extraAttributes, " onMouseOver=\"go()\"");
        EXPECT_FALSE(d.fraPreview->isVisible());  // no such file: no preview
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "x<img src=\"pic.gif\" border ISMAP loop=\"infinite\" onMouseOver=\"go()\">y");

    editImage("<img |loop=INFINITE usemap=#m controls=1 start=mouseover align=Left>", [](frmImage& d) {
        EXPECT_EQ(d.txtLoop->text(), "INFINITE");
        EXPECT_FALSE(d.chkInfinite->isChecked());
        EXPECT_TRUE(d.chkControls->isChecked());
        EXPECT_EQ(d.cboStart->currentText(), "mouseover");
        EXPECT_EQ(d.cboAlignment->currentText(), "Left");
        EXPECT_TRUE(d.imgAlign->pixmap().isNull());  // filled, not picked
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<img src=\"\" align=\"Left\" usemap=\"#m\" loop=\"INFINITE\" start=\"mouseover\" controls>");

    editImage("<img s|rc=a.gif width=5>", [](frmImage& d) {
        type(d.txtWidth, "0");
        d.close();
    });
    EXPECT_EQ(text(), "<img src=a.gif width=5>");
}

TEST_F(ImageTest, ALongDataAddressSurvivesAnUnchangedEditTag) {
    // A 48 KB inline picture, far past a line edit's usual 32,767 characters.
    const QString data = "data:image/gif;base64," + QString(48 * 1024, u'Q') + "==";
    const QString page = "<p><img src=\"" + data + "\" alt=\"dot\"></p>";
    editImage("<p><im|g src=\"" + data + "\" alt=\"dot\"></p>", [&](frmImage& d) {
        EXPECT_EQ(d.txtSrc->text().size(), data.size());
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), page);

    // Pasting a long value into a field keeps it whole too.
    editImage("<p><im|g src=\"" + data + "\" alt=\"dot\"></p>", [&](frmImage& d) {
        QApplication::clipboard()->setText(data);
        d.txtAlt->selectAll();
        d.txtAlt->paste();
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<p><img src=\"" + data + "\" alt=\"" + data + "\"></p>");
}

TEST_F(ImageTest, PictureFromASavedDocumentIsLinkedRelativelyAndZooms) {
    saveInSite();
    const QString path = picture("site/img/pic.png", 100, 50);
    setDocument("|");
    insertImage([&](frmImage& d) {
        const int narrow = d.width();
        expectDialog("open", [&](CommonDialog& cdl) {
            EXPECT_EQ(cdl.dialogTitle, "Select an Image");
            EXPECT_EQ(cdl.filter, "Images (*.gif;*.jpg;*.jpeg;*.png)|*.gif;*.jpg;*.jpeg;*.png|All Files (*.*)|*.*");
            EXPECT_EQ(cdl.flags, 0x201004);
            cdl.fileName = path;
            return true;
        });
        d.cmdBrowse->click();
        EXPECT_EQ(d.txtSrc->text(), "img/pic.png");
        EXPECT_EQ(d.imagePath, path);
        EXPECT_EQ(d.txtHeight->text(), "50");
        EXPECT_EQ(d.txtWidth->text(), "100");
        EXPECT_TRUE(d.fraPreview->isVisible());
        EXPECT_TRUE(QTest::qWaitFor([&] { return d.width() > narrow; }, 2000)) << "the dialog must widen";
        EXPECT_EQ(d.caption(), "Image - zoom 1:1");
        EXPECT_FALSE(d.HScroll->isVisible());
        EXPECT_FALSE(d.VScroll->isVisible());
        EXPECT_EQ(previewPixel(d, 0, 0), kBlue);
        EXPECT_EQ(previewPixel(d, 1, 0), kRed);
        EXPECT_EQ(d.picImage->cursor().hotSpot(), QPoint(9, 8));

        click(d, Qt::LeftButton);
        EXPECT_EQ(d.caption(), "Image - zoom 1:2");
        EXPECT_EQ(previewPixel(d, 1, 1), kBlue);
        EXPECT_EQ(previewPixel(d, 2, 0), kRed);
        EXPECT_TRUE(d.HScroll->isVisible());  // 200 pixels in a narrower box
        EXPECT_EQ(d.HScroll->maximum(), 200 - d.picImage->scaleWidth());
        EXPECT_FALSE(d.VScroll->isVisible());
        click(d, Qt::LeftButton);
        click(d, Qt::LeftButton);
        click(d, Qt::LeftButton);
        click(d, Qt::LeftButton);
        EXPECT_EQ(d.caption(), "Image - zoom 1:6");
        EXPECT_EQ(d.VScroll->maximum(), 300 - d.picImage->scaleHeight());
        EXPECT_EQ(d.HScroll->pageStep(), d.HScroll->maximum() / 10);
        // Scrolling moves the picture: its blue corner leaves the box.
        d.HScroll->setValue(12);
        EXPECT_EQ(previewPixel(d, 0, 0), kRed);
        click(d, Qt::MiddleButton);
        EXPECT_EQ(d.caption(), "Image - zoom 1:6");
        click(d, Qt::RightButton);
        EXPECT_EQ(d.caption(), "Image - zoom 1:5");
        EXPECT_EQ(d.HScroll->value(), 0);
        EXPECT_EQ(previewPixel(d, 0, 0), kBlue);
        for (int i = 0; i < 3; ++i) click(d, Qt::RightButton);
        EXPECT_EQ(d.caption(), "Image - zoom 1:2");
        d.cmdHeightWidth->click();
        EXPECT_EQ(d.txtHeight->text(), "100");
        EXPECT_EQ(d.txtWidth->text(), "200");
        click(d, Qt::RightButton);
        click(d, Qt::RightButton);
        EXPECT_EQ(d.caption(), "Image - zoom 1:1");
        EXPECT_FALSE(d.HScroll->isVisible());

        // Cancelling a second Browse keeps the picture.
        expectDialogCancel("open");
        d.cmdBrowse->click();
        EXPECT_EQ(d.txtSrc->text(), "img/pic.png");
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<img src=\"img/pic.png\" height=\"100\" width=\"200\">");
}

TEST_F(ImageTest, ZoomStopsAtSixteenAndBeforeTheMagnifiedPictureGetsTooBig) {
    const QString wide = picture("wide.png", 200, 20);  // 3000 twips wide
    const QString tiny = picture("tiny.bmp", 10, 10);
    saveInSite();
    insertImage([&](frmImage& d) {
        expectOpen(wide);
        d.cmdBrowse->click();
        for (int i = 0; i < 12; ++i) click(d, Qt::LeftButton);
        EXPECT_EQ(d.caption(), "Image - zoom 1:10");  // 11 times 3000 is not below 32767
        EXPECT_EQ(d.zoomFactor, 10);
        // Another picture starts again at its natural size.
        expectOpen(tiny);
        d.cmdBrowse->click();
        EXPECT_EQ(d.txtSrc->text(), "../tiny.bmp");
        EXPECT_EQ(d.caption(), "Image - zoom 1:1");
        for (int i = 0; i < 20; ++i) click(d, Qt::LeftButton);
        EXPECT_EQ(d.caption(), "Image - zoom 1:16");
        d.cmdHeightWidth->click();
        EXPECT_EQ(d.txtWidth->text(), "160");
        d.cmdCancel->click();
    });
}

TEST_F(ImageTest, UntitledDocumentGetsTheFullPathAfterANotice) {
    const QString path = picture("pictures/photo.jpg", 30, 20);
    ASSERT_EQ(documentFolder, "Untitled");
    insertImage([&](frmImage& d) {
        expectOpen(path);
        expectModal("frmDontShow", [](Form& notice) {
            auto& f = static_cast<frmDontShow&>(notice);
            EXPECT_TRUE(f.lblMsg->text().contains("has not been saved"));
            f.cmdOk->click();
        });
        d.cmdBrowse->click();
        EXPECT_EQ(d.txtSrc->text(), path);
        EXPECT_EQ(d.txtWidth->text(), "30");
        EXPECT_EQ(d.txtHeight->text(), "20");
        EXPECT_TRUE(d.fraPreview->isVisible());
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<img src=\"" + path + "\" height=\"20\" width=\"30\">");
}

TEST_F(ImageTest, LowSrcAndDynSourceAreLinkedRelativelyToo) {
    saveInSite();
    const QString low = picture("other/low.png", 4, 4);
    const QString clip = writeFile("site/media/clip.avi", "RIFF");
    insertImage([&](frmImage& d) {
        expectDialog("open", [&](CommonDialog& cdl) {
            EXPECT_EQ(cdl.dialogTitle, "Select an Image");
            cdl.fileName = low;
            return true;
        });
        d.cmdLowSrc->click();
        EXPECT_EQ(d.txtLowsrc->text(), "../other/low.png");
        expectDialog("open", [&](CommonDialog& cdl) {
            EXPECT_EQ(cdl.dialogTitle, "Select a file");
            EXPECT_EQ(cdl.filter, "Avi files (*.avi)|*.avi|All files (*.*)|*.*");
            cdl.fileName = clip;
            return true;
        });
        d.cmdDynSrc->click();
        EXPECT_EQ(d.txtDynSrc->text(), "media/clip.avi");
        expectDialogCancel("open");
        d.cmdDynSrc->click();
        EXPECT_EQ(d.txtDynSrc->text(), "media/clip.avi");
        EXPECT_FALSE(d.fraPreview->isVisible());  // only the main source is previewed
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<img src=\"\" lowsrc=\"../other/low.png\" dynsrc=\"media/clip.avi\">");
}

TEST_F(ImageTest, PicturesThatCannotBeReadShowAnEmptyPreviewAndNoMessage) {
    saveInSite();
    const QString good = picture("site/good.png", 8, 6);
    const QString broken = writeFile("site/broken.gif", QByteArray("GIF89a") + QByteArray(200, '\xff'));
    // A bitmap whose header claims 60000 by 60000 pixels.
    QByteArray huge("BM");
    auto le32 = [&huge](quint32 v) {
        for (int i = 0; i < 4; ++i) huge.append(char((v >> (8 * i)) & 0xFF));
    };
    le32(54 + 16), le32(0), le32(54), le32(40), le32(60000), le32(60000);
    huge.append("\x01\x00\x18\x00", 4);
    le32(0), le32(0), le32(0), le32(0), le32(0), le32(0);
    huge.append(QByteArray(16, '\x7f'));
    const QString giant = writeFile("site/giant.bmp", huge);
    const QString empty = writeFile("site/empty.png", "");

    insertImage([&](frmImage& d) {
        expectOpen(broken);
        d.cmdBrowse->click();
        EXPECT_EQ(d.txtSrc->text(), "broken.gif");
        EXPECT_TRUE(d.fraPreview->isVisible());
        EXPECT_EQ(d.caption(), "Image - zoom 1:1");
        EXPECT_EQ(d.txtHeight->text(), "");
        EXPECT_FALSE(d.cmdHeightWidth->isEnabled());
        click(d, Qt::LeftButton);
        click(d, Qt::RightButton);

        expectOpen(good);
        d.cmdBrowse->click();
        EXPECT_EQ(d.txtWidth->text(), "8");
        EXPECT_EQ(previewPixel(d, 0, 0), kBlue);
        for (const QString& bad : {giant, empty}) {
            expectOpen(bad);
            d.cmdBrowse->click();
            EXPECT_EQ(d.txtSrc->text(), QFileInfo(bad).fileName());
            EXPECT_NE(previewPixel(d, 0, 0), kBlue) << "the previous picture must not stay";
            EXPECT_FALSE(d.cmdHeightWidth->isEnabled());
            EXPECT_EQ(d.txtWidth->text(), "8");
        }
        d.cmdCancel->click();
    });

    editImage("<img |src=\"broken.gif\">", [](frmImage& d) {
        EXPECT_TRUE(d.fraPreview->isVisible());
        EXPECT_FALSE(d.cmdHeightWidth->isEnabled());
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<img src=\"broken.gif\">");
    EXPECT_TRUE(shownMessages.isEmpty());
}

TEST_F(ImageTest, EveryPictureFormatReadHereIsShown) {
    PictureHolder holder;
    const QString gif = writeFile("small.gif", kSmallGif);
    ASSERT_TRUE(holder.loadPicture(gif));
    EXPECT_EQ(holder.widthPixels(), 3);
    EXPECT_EQ(holder.heightPixels(), 2);
    EXPECT_EQ(holder.width(), 45);  // twips
    EXPECT_EQ(holder.image().pixel(0, 0), kBlue);

    QImage image(7, 5, QImage::Format_RGB32);
    image.fill(kRed);
    const QList<QByteArray> writable = QImageWriter::supportedImageFormats();
    for (const char* format : {"png", "jpg", "bmp", "ico", "tif", "webp", "ppm", "xpm"}) {
        if (!writable.contains(format)) continue;
        const QString path = workDir + "pic." + format;
        ASSERT_TRUE(image.save(path, format)) << format;
        PictureHolder h;
        EXPECT_TRUE(h.loadPicture(path)) << format;
        EXPECT_EQ(h.widthPixels(), 7) << format;
        EXPECT_EQ(h.heightPixels(), 5) << format;
    }
    // Named after another format: the content decides.
    const QString misnamed = workDir + "really-png.jpg";
    ASSERT_TRUE(image.save(misnamed, "png"));
    EXPECT_TRUE(holder.loadPicture(misnamed));
    EXPECT_EQ(holder.widthPixels(), 7);
    // A failed read keeps what the holder had.
    EXPECT_FALSE(holder.loadPicture(workDir + "missing.png"));
    EXPECT_FALSE(holder.loadPicture(""));
    EXPECT_EQ(holder.widthPixels(), 7);
}

TEST_F(ImageTest, FileListImageBrowserAndEditTagShowThePictureThatIsThere) {
    saveInSite();
    const QString path = picture("site/img/pic.png", 100, 50);

    // Double click in the file list or on a thumbnail: the path is handed over.
    dialogKind = path;
    expectDialogWindow<frmImage>("frmImage", [](frmImage& d) {
        EXPECT_EQ(d.txtSrc->text(), "img/pic.png");
        EXPECT_TRUE(d.fraPreview->isVisible());
        EXPECT_EQ(d.txtHeight->text(), "");
        EXPECT_EQ(previewPixel(d, 0, 0), kBlue);
        d.cmdCancel->click();
    });
    showModalDialog<frmImage>();
    EXPECT_EQ(dialogKind, "");

    // The file list's Insert command: the size is filled, the preview stays out of sight.
    fileListSelectedPath = [path] { return path; };
    dialogKind = "Insert image";
    setBusy(true);
    setDocument("|");
    expectDialogWindow<frmImage>("frmImage", [](frmImage& d) {
        EXPECT_FALSE(isBusy());
        EXPECT_EQ(d.txtSrc->text(), "img/pic.png");
        EXPECT_EQ(d.imagePath, "img/pic.png");
        EXPECT_EQ(d.txtHeight->text(), "50");
        EXPECT_EQ(d.txtWidth->text(), "100");
        EXPECT_FALSE(d.fraPreview->isVisible());
        d.cmdOk->click();
    });
    showModalDialog<frmImage>();
    EXPECT_EQ(text(), "<img src=\"img/pic.png\" height=\"50\" width=\"100\">");
    EXPECT_EQ(dialogKind, "");

    // Edit Tag finds the picture from the document's folder.
    editImage("<img src=\"img/pic.png\" |alt=x>", [](frmImage& d) {
        EXPECT_TRUE(d.fraPreview->isVisible());
        EXPECT_EQ(d.caption(), "Image - zoom 1:1");
        EXPECT_EQ(previewPixel(d, 0, 0), kBlue);
        d.cmdHeightWidth->click();
        d.cmdOk->click();
    });
    EXPECT_EQ(text(), "<img src=\"img/pic.png\" alt=\"x\" height=\"50\" width=\"100\">");
}

}  // namespace
}  // namespace kavrin::test
