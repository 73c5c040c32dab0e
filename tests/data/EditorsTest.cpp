// The Select Object dialog, the object editors and deleting objects, driven
// through the platform's responders as a user would drive them.

#include "DataTestSupport.h"

#include "astro/ComputationOptions.h"
#include "data/Editors.h"
#include "data/SelectObject.h"

namespace {

using namespace data_test;

class EditorsTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        OpenEmpty();
        setComputationOptionsDefaults();
    }
    void TearDown() override {
        ClearDialogResponders();
        ClearFileFaultsForTest();
        gSearchOptions = {};
        setSelectedObject(0);
        StoreFixture::TearDown();
    }
    ObjectID Add(const std::string& line) {
        std::string reason;
        ObjectID id = newObjectFromLine(line, reason);
        EXPECT_NE(id, 0) << reason;
        return id;
    }
    static void Click(WindowRef dialog, int control) {
        SendWindowEvent(dialog, ControlNotify, control, NotifyClicked);
    }
};

const char* kSirius = "S01\t2000.0\t06 45 08.92\t-16 42 58.0\t-0.0379\t-1.223\t-1.46\t0.00\t-7.6\t"
                      "2.640\t0.0\tSirius; $a CMa; HR2491";

TEST_F(EditorsTest, SelectDialogFindsFindsNextWrapsAndSelects) {
    ObjectID alpha = Add("S1\t\t01 00 00\t+10 00 00\t\t\t\t\t\t\t\tAlpha Star");
    ObjectID beta = Add("S1\t\t02 00 00\t+10 00 00\t\t\t\t\t\t\t\tBeta Star");
    SetDialogResponder(
        kSelectObjectTemplate,
        [&](WindowRef d) {
            EXPECT_FALSE(IsItemEnabled(d, 3));
            const struct {
                const char* typed; // nullptr: the query stays
                int button;
                const char *found, *label;
            } steps[] = {{"star", 1, "Alpha Star", "&Select"},
                         {nullptr, 3, "Beta Star", "&Select"},
                         {nullptr, 3, "No matching object found!", "&Find"},
                         {"beta", 1, "Beta Star", "&Select"},
                         {"betax", 0, "", "&Find"},
                         {"Alpha Star", 1, "Alpha Star", "&Select"}};
            for (const auto& step : steps) {
                SCOPED_TRACE(step.found);
                if (step.typed != nullptr) TypeItemText(d, 5, step.typed);
                if (step.button != 0) Click(d, step.button);
                EXPECT_EQ(GetItemText(d, 7), step.found);
                EXPECT_EQ(GetItemText(d, 1), step.label);
                EXPECT_EQ(IsItemEnabled(d, 3), std::string(step.label) == "&Select");
            }
            SetItemValue(d, 9, 1);
            Click(d, 9);
            Click(d, 1);
        },
        0);
    EXPECT_EQ(selectObjectDialog(), alpha);
    EXPECT_TRUE(gSearchOptions.exactMatch) << "kept for the next run";
    SetDialogResponder(
        kSelectObjectTemplate,
        [&](WindowRef d) {
            EXPECT_EQ(GetItemValue(d, 9), 1);
            TypeItemText(d, 5, "Beta Star");
            Click(d, 1);
        },
        2);
    EXPECT_EQ(selectObjectDialog(), 0) << "Cancel after a hit chooses nothing";
    (void)beta;
}

// An object shown in the editor and taken back unchanged is stored byte for
// byte as the importer stores its line.
TEST_F(EditorsTest, EditorOKWithoutChangesRebuildsTheImportedRecord) {
    const std::string lines[] = {
        kSirius,
        "S04\t2000.0\t14 39 36.49\t-60 50 02.3\t-0.4940\t+0.696\t-0.01-0.10,1.33\t0.71\t-21.4\t"
        "1.340\t17.5\tRigil Kentaurus",
        "S15\t2000.0\t00 42 44.30\t+41 16 09.0\t+0.0000\t+0.000\t3.44\t\t\t\t189.0\tM31",
        "P11\t2000.0\t17.83414429\t0.96714291\t162.262691\t111.332485\t58.420081\t38.384264\t"
        "1986/02/09.45891\t5.50 8.00\t5.5\t0.000040\tHalley"};
    int n = 0;
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        const std::string name = "Line" + std::to_string(++n);
        ASSERT_TRUE(importTextFile(Source(name + ".txt", line + "\r\n")));
        ObjectID id = 0;
        for (ObjectID f = firstFile(); f != 0; f = nextFile(f))
            if (std::string(getFile(f)->name.get()) == name + ".nvd") id = firstObjectInFile(f);
        ASSERT_NE(id, 0);
        if (line[0] == 'S') {
            // The motions come back from the stored space motion, to its steps.
            std::vector<std::string> fields = splitImportFields(line),
                                     shown = editorFields(getObject(id), 0);
            fields.resize(12);
            fields[4] = shown[4], fields[5] = shown[5];
            EXPECT_EQ(shown, fields);
        }
        const std::string imported = ReadAll(In(name + ".nvd"));
        SetDialogResponder(line[0] == 'S' ? kEditStarTemplate : kEditPlanetTemplate, nullptr, 1);
        EXPECT_EQ(editObject(id, 0), id);
        EXPECT_EQ(ReadAll(In(name + ".nvd")), imported);
    }
}

TEST_F(EditorsTest, RefusedFieldsCancelAndWriteFaultsChangeNothing) {
    ObjectID id = Add(kSirius);
    const std::string before = ReadAll(In("Custom.nvd"));
    const struct {
        int control;
        const char* utf8;
        int message;
        FileFault fault;
    } cases[] = {{12, "-91 00 00", 548, FileFault::Write},
                 {18, "-1.46x", 548, FileFault::Write},
                 {4, "Sirius \xE2\x98\x85", 548, FileFault::Write},
                 {4, "Renamed", 259, FileFault::Rename}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        ClearRecordedMessages();
        SetFileFaultForTest(c.fault, 1);
        SetDialogResponder(
            kEditStarTemplate,
            [&](WindowRef d) {
                TypeItemText(d, c.control, c.utf8);
                Click(d, kOKButton);
                EXPECT_EQ(ModalDialog(), d) << "the dialog stays open";
                EXPECT_EQ(GetItemText(d, c.control), FromConsoleText(c.utf8));
            },
            kCancelButton);
        EXPECT_EQ(editObject(id, 0), 0);
        EXPECT_EQ(Numbers(), Messages{c.message});
        ClearFileFaultsForTest();
        EXPECT_EQ(DisplayName(getObject(id)), "Sirius; $a CMa; HR2491");
        EXPECT_EQ(ReadAll(In("Custom.nvd")), before);
    }
    // Deleting into a failing disk keeps the object where it was.
    SetFileFaultForTest(FileFault::Flush, 1);
    EXPECT_FALSE(deleteObject(id));
    EXPECT_NE(getObject(id), nullptr);
    EXPECT_EQ(ReadAll(In("Custom.nvd")), before);
    // Read-only files are refused before anything is asked.
    ClearRecordedMessages();
    setReadOnly(getFile(id), true);
    EXPECT_EQ(editObject(id, 0), 0);
    EXPECT_FALSE(deleteObject(id));
    EXPECT_EQ(Numbers(), (Messages{539, 539}));
}

TEST_F(EditorsTest, NewStarThenDeletingTheLastObjectLeavesAnEmptyAttachedFile) {
    SetDialogResponder(kEditStarTemplate, nullptr, kOKButton);
    ObjectID id = editObject(0, kTypeSingleStar);
    const auto* star = AsCatalog(getObject(id));
    ASSERT_NE(star, nullptr);
    EXPECT_EQ(DisplayName(star), "New Star");
    EXPECT_EQ(star->catalogMagnitude, 0);
    EXPECT_FLOAT_EQ(star->catalogDistance, 206264.8062f);
    EXPECT_EQ(star->position[0], 1 << 30);
    EXPECT_EQ(selectedObject(), id);
    ClearRecordedMessages();
    EXPECT_TRUE(deleteObject(id));
    EXPECT_EQ(Numbers(), Messages{536});
    EXPECT_EQ(selectedObject(), 0);
    EXPECT_NE(getFile(id), nullptr);
    EXPECT_EQ(ReadAll(In("Custom.nvd")),
              std::string("\1\0\0\0\2\0\0\0\xB8\x0B\0\0", 12) + std::string(244, '\0'));
}

} // namespace
