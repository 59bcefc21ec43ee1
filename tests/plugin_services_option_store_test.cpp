// The option store against the stand-in's file-backed registry: key path, encodings, size
// limits, reads across types, and a key that cannot be opened.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "plugin_services/option_store.h"
#include "plugin_test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using zar::OptionStore;

class OptionStoreTest : public zar::testing::RegistryTest {
 protected:
  static OptionStore MakeStore(const char* class_key) {
    return OptionStore(zar::kProductKey, zar::kHostKey, class_key);
  }
  // The one stored value `name` of the class key, failing the test when it is missing.
  static modra::RegistryValue Stored(const char* class_key, const std::string& name) {
    for (const modra::RegistryValue& value : Values(ClassKey(class_key)))
      if (value.name == name) return value;
    ADD_FAILURE() << name << " is not stored under " << class_key;
    return {};
  }
};

TEST_F(OptionStoreTest, FirstUseCreatesTheWholeKeyPath) {
  ASSERT_FALSE(KeyExists("Software\\Vantrel"));
  OptionStore store(zar::kProductKey, zar::kHostKey, "ImportHTR");
  EXPECT_TRUE(store.IsOpen());
  EXPECT_TRUE(KeyExists("Software\\Vantrel\\ZARFileIO\\Modra\\ImportHTR"));
  EXPECT_EQ(SubKeys("Software\\Vantrel\\ZARFileIO"), std::vector<std::string>{"Modra"});
  // Nothing is stored yet: every get fails and leaves its target alone.
  bool flag = true;
  std::int32_t number = 42;
  float size = 1.5f;
  double scale = 2.5;
  std::string text = "keep";
  EXPECT_FALSE(store.GetBool("Apply", flag));
  EXPECT_FALSE(store.GetInt("RotationController", number));
  EXPECT_FALSE(store.GetFloat("Size", size));
  EXPECT_FALSE(store.GetDouble("ScaleFactor", scale));
  EXPECT_FALSE(store.GetString("MNMPath", text));
  EXPECT_TRUE(flag);
  EXPECT_EQ(number, 42);
  EXPECT_EQ(size, 1.5f);
  EXPECT_EQ(scale, 2.5);
  EXPECT_EQ(text, "keep");
  EXPECT_TRUE(Values(ClassKey("ImportHTR")).empty());
}

TEST_F(OptionStoreTest, SecondStoreOpensTheExistingKeys) {
  OptionStore first = MakeStore("ImportTRC");
  OptionStore second = MakeStore("ImportTRC");
  OptionStore other = MakeStore("ExportHTR");
  ASSERT_TRUE(first.IsOpen() && second.IsOpen() && other.IsOpen());
  EXPECT_EQ(SubKeys(zar::testing::kOptionsKey),
            (std::vector<std::string>{"ImportTRC", "ExportHTR"}));
  // Nothing is cached: a value written through one store is read at once through the other.
  ASSERT_TRUE(first.SetInt("Offset", 7));
  std::int32_t offset = 0;
  EXPECT_TRUE(second.GetInt("Offset", offset));
  EXPECT_EQ(offset, 7);
  ASSERT_TRUE(second.SetInt("Offset", -3));
  EXPECT_TRUE(first.GetInt("Offset", offset));
  EXPECT_EQ(offset, -3);
  EXPECT_FALSE(other.GetInt("Offset", offset));
}

TEST_F(OptionStoreTest, SettersWriteTheirTypesAndBytes) {
  OptionStore store = MakeStore("ConvertPNX");
  ASSERT_TRUE(store.IsOpen());
  ASSERT_TRUE(store.SetBool("True", true));
  ASSERT_TRUE(store.SetBool("False", false));
  ASSERT_TRUE(store.SetInt("Minus2", -2));
  ASSERT_TRUE(store.SetInt("Big", 0x12345678));
  ASSERT_TRUE(store.SetFloat("One", 1.0f));
  ASSERT_TRUE(store.SetFloat("MinusHalf", -0.5f));
  ASSERT_TRUE(store.SetDouble("DoubleOne", 1.0));
  ASSERT_TRUE(store.SetDouble("Tenth", 0.1));
  ASSERT_TRUE(store.SetString("Empty", ""));
  ASSERT_TRUE(store.SetString("Path", "C:\\"));
  ASSERT_TRUE(store.SetString("Null", nullptr));

  struct Case {
    const char* name;
    std::uint32_t type;
    Bytes data;
  };
  const Case cases[] = {
      {"True", modra::kRegistryBinary, {1}},
      {"False", modra::kRegistryBinary, {0}},
      {"Minus2", modra::kRegistryDword, {0xFE, 0xFF, 0xFF, 0xFF}},
      {"Big", modra::kRegistryDword, {0x78, 0x56, 0x34, 0x12}},
      {"One", modra::kRegistryDword, {0x00, 0x00, 0x80, 0x3F}},        // 0x3F800000
      {"MinusHalf", modra::kRegistryDword, {0x00, 0x00, 0x00, 0xBF}},  // 0xBF000000
      {"DoubleOne", modra::kRegistryQword, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},
      {"Tenth", modra::kRegistryQword, {0x9A, 0x99, 0x99, 0x99, 0x99, 0x99, 0xB9, 0x3F}},
      {"Empty", modra::kRegistryString, {0}},
      {"Path", modra::kRegistryString, {'C', ':', '\\', 0}},
      {"Null", modra::kRegistryString, {0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const modra::RegistryValue value = Stored("ConvertPNX", c.name);
    EXPECT_EQ(value.type, c.type);
    EXPECT_EQ(value.data, c.data);
  }
}

TEST_F(OptionStoreTest, GettersReadBackExactlyWhatWasSet) {
  OptionStore store = MakeStore("ImportHTR");
  ASSERT_TRUE(store.SetBool("Apply", true));
  ASSERT_TRUE(store.SetInt("RotationController", -2147483647 - 1));
  ASSERT_TRUE(store.SetFloat("Size", 1.0f));
  ASSERT_TRUE(store.SetDouble("ScaleFactor", 0.1));
  ASSERT_TRUE(store.SetString("Empty", ""));
  ASSERT_TRUE(store.SetString("Text", "<none>"));

  bool apply = false;
  std::int32_t controller = 0;
  float size = 0.0f;
  double scale = 0.0;
  std::string empty = "not empty";
  std::string text;
  EXPECT_TRUE(store.GetBool("Apply", apply));
  EXPECT_TRUE(store.GetInt("RotationController", controller));
  EXPECT_TRUE(store.GetFloat("Size", size));
  EXPECT_TRUE(store.GetDouble("ScaleFactor", scale));
  EXPECT_TRUE(store.GetString("Empty", empty));
  EXPECT_TRUE(store.GetString("Text", text));
  EXPECT_TRUE(apply);
  EXPECT_EQ(controller, -2147483647 - 1);
  EXPECT_EQ(size, 1.0f);
  EXPECT_EQ(scale, 0.1);
  EXPECT_EQ(empty, "");
  EXPECT_EQ(text, "<none>");
  // Setting again replaces the value, type included.
  ASSERT_TRUE(store.SetInt("Apply", 0));
  EXPECT_EQ(Stored("ImportHTR", "Apply").type, modra::kRegistryDword);
  EXPECT_TRUE(store.GetBool("Apply", apply));
  EXPECT_FALSE(apply);
}

TEST_F(OptionStoreTest, GettersReadOtherTypesByteForByte) {
  OptionStore store = MakeStore("ImportTRC");
  const std::string key = ClassKey("ImportTRC");
  struct Case {
    const char* what;
    std::uint32_t type;
    Bytes data;
    bool read;      // GetBool answers
    bool expected;  // and gives
  };
  const Case bools[] = {
      {"DWORD 1", modra::kRegistryDword, {1, 0, 0, 0}, true, true},
      {"DWORD 256 (first byte 0)", modra::kRegistryDword, {0, 1, 0, 0}, true, false},
      {"text \"1\"", modra::kRegistryString, {'1', 0}, true, true},
      {"text \"\"", modra::kRegistryString, {0}, true, false},
      {"binary 0x80", modra::kRegistryBinary, {0x80}, true, true},
      {"QWORD (8 bytes)", modra::kRegistryQword, {1, 0, 0, 0, 0, 0, 0, 0}, false, false},
      {"empty binary", modra::kRegistryBinary, {}, false, false},
      {"5-byte text", modra::kRegistryString, {'a', 'b', 'c', 'd', 0}, false, false},
  };
  for (const Case& c : bools) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(WriteRaw(key, "Value", c.type, c.data));
    bool value = !c.expected;
    const bool kept = value;
    EXPECT_EQ(store.GetBool("Value", value), c.read);
    EXPECT_EQ(value, c.read ? c.expected : kept);
  }

  // Numbers: shorter data counts as padded with zero bytes; longer data is refused.
  ASSERT_TRUE(WriteRaw(key, "Flag", modra::kRegistryBinary, {1}));
  std::int32_t number = -1;
  EXPECT_TRUE(store.GetInt("Flag", number));
  EXPECT_EQ(number, 1);
  ASSERT_TRUE(WriteRaw(key, "Float", modra::kRegistryDword, {0x00, 0x00, 0x80, 0x3F}));
  EXPECT_TRUE(store.GetInt("Float", number));
  EXPECT_EQ(number, 0x3F800000);
  double wide = 5.0;
  EXPECT_TRUE(store.GetDouble("Float", wide));  // 4 bytes fit a double's 8
  EXPECT_NE(wide, 5.0);
  ASSERT_TRUE(store.SetDouble("Double", 2.0));
  float narrow = 5.0f;
  number = 9;
  EXPECT_FALSE(store.GetFloat("Double", narrow));
  EXPECT_FALSE(store.GetInt("Double", number));
  EXPECT_EQ(narrow, 5.0f);
  EXPECT_EQ(number, 9);
}

TEST_F(OptionStoreTest, StringsUpTo1023CharactersAreRead) {
  OptionStore store = MakeStore("ConvertPNX");
  struct Case {
    std::size_t length;
    bool read;
  };
  for (const Case c : {Case{0, true}, Case{1, true}, Case{1022, true}, Case{1023, true},
                       Case{1024, false}, Case{5000, false}}) {
    SCOPED_TRACE(c.length);
    const std::string stored(c.length, 'x');
    ASSERT_TRUE(store.SetString("MNMPath", stored.c_str()));
    EXPECT_EQ(Stored("ConvertPNX", "MNMPath").data.size(), c.length + 1);
    std::string target = "target";
    EXPECT_EQ(store.GetString("MNMPath", target), c.read);
    EXPECT_EQ(target, c.read ? stored : std::string("target"));
  }
  // A text is taken up to its first zero byte, or whole when it has none.
  ASSERT_TRUE(
      WriteRaw(ClassKey("ConvertPNX"), "Odd", modra::kRegistryString, {'a', 'b', 0, 'c', 0}));
  std::string text;
  EXPECT_TRUE(store.GetString("Odd", text));
  EXPECT_EQ(text, "ab");
  ASSERT_TRUE(WriteRaw(ClassKey("ConvertPNX"), "Unended", modra::kRegistryBinary, {'o', 'k'}));
  EXPECT_TRUE(store.GetString("Unended", text));
  EXPECT_EQ(text, "ok");
}

// Every operation of a store that could not open its key answers false and touches nothing.
void ExpectClosed(OptionStore& store) {
  EXPECT_FALSE(store.IsOpen());
  bool flag = true;
  std::int32_t number = 3;
  float size = 1.0f;
  double scale = 1.0;
  std::string text = "<none>";
  EXPECT_FALSE(store.SetBool("Apply", false));
  EXPECT_FALSE(store.SetInt("Offset", 9));
  EXPECT_FALSE(store.SetFloat("Size", 9.0f));
  EXPECT_FALSE(store.SetDouble("ScaleFactor", 9.0));
  EXPECT_FALSE(store.SetString("MNMPath", "x"));
  EXPECT_FALSE(store.GetBool("Apply", flag));
  EXPECT_FALSE(store.GetInt("Offset", number));
  EXPECT_FALSE(store.GetFloat("Size", size));
  EXPECT_FALSE(store.GetDouble("ScaleFactor", scale));
  EXPECT_FALSE(store.GetString("MNMPath", text));
  EXPECT_TRUE(flag);
  EXPECT_EQ(number, 3);
  EXPECT_EQ(size, 1.0f);
  EXPECT_EQ(scale, 1.0);
  EXPECT_EQ(text, "<none>");
}

TEST_F(OptionStoreTest, UnavailableRegistryLeavesTheStoreClosed) {
  Store().SetUnavailable(true);
  OptionStore store = MakeStore("ImportHTR");
  ExpectClosed(store);
  // A store is opened once: the registry coming back later does not open it.
  Store().SetUnavailable(false);
  ExpectClosed(store);
  EXPECT_FALSE(KeyExists("Software\\Vantrel"));
}

TEST_F(OptionStoreTest, DeniedLevelLeavesOnlyThatStoreClosed) {
  struct Case {
    const char* denied;
    bool product_created;
    bool host_created;
  };
  for (const Case c : {Case{"Software\\Vantrel\\ZARFileIO", false, false},
                       Case{"Software\\Vantrel\\ZARFileIO\\Modra", true, false},
                       Case{"Software\\Vantrel\\ZARFileIO\\Modra\\ExportHTR", true, true}}) {
    SCOPED_TRACE(c.denied);
    Store().SetDeniedKey(c.denied);
    {
      OptionStore denied = MakeStore("ExportHTR");
      ExpectClosed(denied);
    }
    Store().SetDeniedKey("");
    EXPECT_EQ(KeyExists("Software\\Vantrel\\ZARFileIO"), c.product_created);
    EXPECT_EQ(KeyExists(zar::testing::kOptionsKey), c.host_created);
    EXPECT_FALSE(KeyExists(ClassKey("ExportHTR")));
  }
  Store().SetDeniedKey(ClassKey("ExportHTR"));
  OptionStore open = MakeStore("ImportHTR");
  EXPECT_TRUE(open.IsOpen());
  EXPECT_TRUE(open.SetBool("Apply", true));
}

}  // namespace
