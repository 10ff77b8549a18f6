#include "core/Machine.h"
#include "core/testing/TempProfile.h"

#include <gtest/gtest.h>

using plat::testing::TempProfile;

TEST(Machine, ReadsVersionLanguagesAndFolders)
{
    TempProfile profile;
    profile.Write("machine.json", R"({
        "os": {"major": 5, "minor": 1, "build": 2600, "csd": "Service Pack 3", "bits": 32},
        "languages": {"systemDefault": "0x0407", "userDefault": 1031, "userUI": "0x0c0c"},
        "windowsDirectory": "C:\\WINDOWS",
        "folders": {"C:\\Program Files\\Tool": "tool"}
    })");
    ASSERT_EQ(profile.Load(), "");
    const plat::Machine* m = plat::CurrentMachine();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->Os().major, 5u);
    EXPECT_EQ(m->Os().build, 2600u);
    EXPECT_EQ(m->Os().csd, "Service Pack 3");
    EXPECT_EQ(m->Os().bits, 32);
    EXPECT_EQ(m->Langs().systemDefault, 0x0407);
    EXPECT_EQ(m->Langs().userDefault, 1031);
    EXPECT_EQ(m->Langs().userUI, 0x0c0c);
    EXPECT_EQ(m->WindowsDirectory(), "C:\\WINDOWS");
    // The profile's folder, and the user's local application data that
    // every machine has, longest first.
    ASSERT_EQ(m->Folders().size(), 4u);
    EXPECT_EQ(m->Folders()[0].windowsUpper, "C:\\USERS\\USER\\APPDATA\\LOCAL");
    EXPECT_EQ(m->Folders()[1].windowsUpper, "C:\\PROGRAM FILES\\TOOL");
    EXPECT_EQ(m->Folders()[1].host, profile.Folder() + "/tool");
}

TEST(Machine, RefusesBrokenProfilesNamingFileAndLineOrKey)
{
    struct Case {
        const char* json;
        const char* expected; // substring of the message
    } cases[] = {
        {"{\n  \"os\": {\n    \"major\": 10,\n  }\n}", "machine.json:4"},
        {"[1, 2]", "top level must be an object"},
        {R"({"os": {"major": "ten"}})", "os.major"},
        {R"({"os": {"bits": 16}})", "os.bits"},
        {R"({"languages": {"systemDefault": 70000}})", "languages"},
        {R"({"windowsDirectory": "Windows"})", "windowsDirectory"},
        {R"({"folders": {"Program Files": "x"}})", "folders.Program Files"},
        {R"({"os": []})", "os"},
        // Faults the JSON library reports as other than a syntax error.
        {"{\n  \"os\": {\n    \"build\": 191e308045\n  }\n}", "machine.json:3: number too large"},
        {"{\n  \"os\": {\"major\": -1e999}\n}", "machine.json:2: number too large"},
        {"{\n  \"user\": \"\xff\xfe\"\n}", "machine.json:2"},
        {"{\"os\": {\"build\": 1e400}}", "machine.json:1"},
    };
    for (const Case& c : cases) {
        TempProfile profile;
        profile.Write("machine.json", c.json);
        std::string error = profile.Load();
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.json << " -> " << error;
        EXPECT_NE(error.find(profile.Path("machine.json")), std::string::npos) << error;
    }
}

TEST(Machine, MissingProfileIsRefusedAndKeepsThePreviousMachine)
{
    TempProfile good;
    ASSERT_EQ(good.Load(), "");
    plat::ProfileError error;
    EXPECT_FALSE(plat::LoadMachine("/nonexistent/profile", &error));
    EXPECT_NE(error.ToString().find("/nonexistent/profile/machine.json"), std::string::npos);
    ASSERT_NE(plat::CurrentMachine(), nullptr);
    EXPECT_EQ(plat::CurrentMachine()->Folder(), good.Folder());
}

TEST(Machine, AFailingFamilyLoaderRefusesTheWholeProfile)
{
    TempProfile good;
    ASSERT_EQ(good.Load(), "");
    TempProfile bad;
    bad.Write("machine.json", R"({"refuse": true})");
    plat::RegisterProfileLoader("test-refuser", [](const plat::Machine& m, plat::ProfileError* e) {
        if (m.Json().contains("refuse")) {
            *e = m.KeyError("refuse", "refused by the test loader");
            return false;
        }
        return true;
    });
    EXPECT_NE(bad.Load().find("refuse: refused by the test loader"), std::string::npos);
    EXPECT_EQ(plat::CurrentMachine()->Folder(), good.Folder());
    plat::RegisterProfileLoader("test-refuser", [](const plat::Machine&, plat::ProfileError*) { return true; });
}

TEST(Machine, AFamilyLoaderTakingAWrongTypeForGrantedIsARefusalNotACrash)
{
    TempProfile good;
    ASSERT_EQ(good.Load(), "");
    TempProfile bad;
    bad.Write("machine.json", R"({"wrongType": {"count": "three"}, "absent": []})");
    plat::RegisterProfileLoader("test-careless", [](const plat::Machine& m, plat::ProfileError*) {
        if (m.Json().contains("wrongType"))
            return m.Json()["wrongType"]["count"].get<int>() > 0; // type_error
        if (m.Json().contains("absent"))
            return m.Json().at("absent").at(3).is_null(); // out_of_range
        return true;
    });
    plat::ProfileError error;
    EXPECT_FALSE(plat::LoadMachine(bad.Folder(), &error));
    EXPECT_NE(error.ToString().find(bad.Path("machine.json")), std::string::npos) << error.ToString();
    EXPECT_NE(error.ToString().find("wrong type"), std::string::npos) << error.ToString();
    bad.Write("machine.json", R"({"absent": []})");
    EXPECT_FALSE(plat::LoadMachine(bad.Folder(), &error));
    EXPECT_NE(error.ToString().find("out_of_range"), std::string::npos) << error.ToString();
    ASSERT_NE(plat::CurrentMachine(), nullptr);
    EXPECT_EQ(plat::CurrentMachine()->Folder(), good.Folder());
    plat::RegisterProfileLoader("test-careless", [](const plat::Machine&, plat::ProfileError*) { return true; });
}
