#include <gtest/gtest.h>
#include <ui/Clipbrd.h>
#include <ui/Graphics.h>

namespace {

TEST(Clipboard, HoldsTextOrAPicture) {
    TClipboard* clipboard = Clipboard();
    EXPECT_EQ(Clipboard(), clipboard) << "one clipboard for the application";
    clipboard->SetAsText(QStringLiteral("Ann\tSmith"));
    EXPECT_EQ(clipboard->AsText(), QStringLiteral("Ann\tSmith"));
    EXPECT_TRUE(clipboard->HasFormat(CF_TEXT));
    EXPECT_FALSE(clipboard->HasFormat(CF_BITMAP));

    TBitmap bitmap;
    bitmap.SetSize(6, 4);
    bitmap.Canvas()->SetPixels(5, 3, clRed);
    TPicture picture;
    picture.Bitmap()->Assign(&bitmap);
    clipboard->Assign(&picture);
    EXPECT_TRUE(clipboard->HasFormat(CF_PICTURE));
    EXPECT_TRUE(clipboard->HasFormat(CF_BITMAP));

    TPicture pasted;
    pasted.Assign(clipboard);
    EXPECT_EQ(pasted.Width(), 6);
    EXPECT_EQ(pasted.Height(), 4);
    EXPECT_EQ(pasted.Bitmap()->Canvas()->Pixels(5, 3), clRed);
    TBitmap pastedBitmap;
    pastedBitmap.Assign(clipboard);
    EXPECT_EQ(pastedBitmap.Canvas()->Pixels(5, 3), clRed);

    clipboard->Clear();
    EXPECT_FALSE(clipboard->HasFormat(CF_BITMAP));
    EXPECT_THROW(pasted.Assign(clipboard), EInvalidGraphic);
    EXPECT_EQ(pasted.Width(), 6) << "the picture stays when there is nothing to paste";
}

TEST(Clipboard, TakesOnlyPictures) {
    TFont font;
    EXPECT_THROW(Clipboard()->Assign(&font), EConvertError);
}

} // namespace
