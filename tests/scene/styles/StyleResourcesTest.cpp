// SPDX-License-Identifier: GPL-3.0-or-later
// Style containers (text form, stored form, files, scene registration) and the content of
// the default style sheet.

#include "scene/controls/SceneControlClasses.h"
#include "scene/core/ObjectReader.h"
#include "scene/core/ObjectText.h"
#include "scene/core/ObjectWriter.h"
#include "scene/host/TvxBackground.h"
#include "scene/host/TvxCustomScene.h"
#include "scene/render/TvxPathData.h"
#include "scene/shapes/TvxPath.h"
#include "scene/styles/DefaultStyleSheet.h"
#include "scene/styles/TvxResources.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace nimbrell;

namespace {

const std::vector<std::string> kSheet = {
    "object TvxBackground",
    "  Width = 50.0",
    "  Height = 50.0",
    "  DesignHide = True",
    "  object TvxRectangle",
    "    ResourceName = 'speedbuttonstyle'",
    "    DesignHide = True",
    "  end",
    "end",
};

class StyleResourcesTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterSceneControlClasses(); }
    ComponentPtr<TvxResources> container { new TvxResources(nullptr) };
};

TEST_F(StyleResourcesTest, TextFormLoadsTheSheetVisible)
{
    container->Resource().SetLines(kSheet);
    ASSERT_NE(container->Root(), nullptr);
    TvxObject* style = container->Root()->FindResource("SpeedButtonStyle");
    ASSERT_NE(style, nullptr);
    EXPECT_FALSE(container->Root()->Visual()->DesignHide());
    EXPECT_FALSE(style->Visual()->DesignHide());
    container->Resource().Clear();
    EXPECT_EQ(container->Root(), nullptr);
}

TEST_F(StyleResourcesTest, StoredFormIsTheBinaryRootAndTheTextIsNotStored)
{
    container->Resource().SetLines(kSheet);
    container->SetFileName("styles.txt-that-does-not-exist");
    std::vector<std::uint8_t> stream;
    ObjectWriter writer(stream);
    writer.WriteRoot(*container);
    std::string text = ObjectBinaryToText(stream);
    EXPECT_NE(text.find("ResourcesBin = {"), std::string::npos) << text;
    EXPECT_EQ(text.find("Resource."), std::string::npos) << text;
    EXPECT_EQ(text.find("Resource ="), std::string::npos) << text;

    ComponentPtr<TvxResources> copy(new TvxResources(nullptr));
    ReadObjectStream(stream, *copy);
    ASSERT_NE(copy->Root(), nullptr);
    EXPECT_NE(copy->Root()->FindResource("speedbuttonstyle"), nullptr);
    EXPECT_EQ(copy->FileName(), "styles.txt-that-does-not-exist");
    EXPECT_EQ(copy->SaveBinary(), container->SaveBinary());

    // Without a root nothing is stored.
    container->Resource().Clear();
    stream.clear();
    ObjectWriter empty(stream);
    empty.WriteRoot(*container);
    EXPECT_EQ(std::string(stream.begin(), stream.end()).find("ResourcesBin"), std::string::npos);
}

TEST_F(StyleResourcesTest, FileNameLoadsAnExistingFileOnly)
{
    nimbrell::testing::TempDirectory folder;
    std::filesystem::path file = folder.Path() / "sheet.txt";
    {
        std::ofstream out(file);
        for (const std::string& line : kSheet)
            out << line << "\r\n";
    }
    container->SetFileName(file.string());
    ASSERT_NE(container->Root(), nullptr);
    TvxObject* loaded = container->Root();
    for (std::string name : { (folder.Path() / "missing.txt").string(), folder.Path().string() }) {
        SCOPED_TRACE(name);
        container->SetFileName(name);
        EXPECT_EQ(container->Root(), loaded);
    }
}

TEST_F(StyleResourcesTest, ScenesRegisterWithTheirContainer)
{
    TvxCustomScene scene(10, 10);
    auto* root = new TvxBackground(nullptr);
    scene.AddObject(root);
    scene.SetStyle(container.get());
    {
        TvxCustomScene other(10, 10);
        other.SetStyle(container.get());
        // A scene that goes unregisters itself; reloading must not reach it.
    }
    container->Resource().SetLines(kSheet);
    EXPECT_EQ(scene.Style(), container.get());
    container.reset();
    EXPECT_EQ(scene.Style(), nullptr);
}

TEST(DefaultStyleSheetTest, HoldsTheStylesOfTheControls)
{
    RegisterSceneControlClasses();
    TvxObject* root = LoadDefaultStyleSheet();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(DefaultStyleSheet(), root);
    EXPECT_EQ(LoadDefaultStyleSheet(), root);
    auto* background = dynamic_cast<TvxBackground*>(root);
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(background->Width(), 548);
    EXPECT_EQ(background->Height(), 547);
    EXPECT_EQ(background->Fill().SolidColor(), 0xFF2B2B2Bu);
    std::vector<std::string> names;
    for (TvxObject* style : root->Children())
        names.push_back(style->ResourceName());
    // The styles the controls use, in the order the sheet stores them.
    EXPECT_EQ(names, (std::vector<std::string> { "scrollbarvtrackstyle", "scrollbarhtrackstyle", "scrollbarleftbutton", "scrollbarrightbutton", "scrollbartopbutton", "scrollbarbottombutton", "hthumbstyle", "vthumbstyle", "scrollbarstyle", "smallscrollbarhtrackstyle", "smallscrollbarvtrackstyle", "smallscrollbarstyle", "backgroundstyle", "buttonstyle", "speedbuttonstyle", "textboxstyle", "transparentcirclebuttonstyle", "spinboxstyle", "labelstyle", "listboxstyle", "listboxitemstyle", "checkboxstyle", "progressbarstyle", "sizegripstyle", "combolistboxstyle", "comboboxstyle", "combopopupstyle", "CloseButtonStyle", "hudlabelstyle" }));
    auto* tick = dynamic_cast<TvxPath*>(root->FindResource("checkmark"));
    ASSERT_NE(tick, nullptr);
    EXPECT_EQ(tick->Data().Count(), 46);
}

}
