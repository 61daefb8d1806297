// The in-memory registry and its .reg text reader, the access rights a key
// grants, and the typed reads that raise on a value of the wrong type.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "engine/registry.h"

namespace lmr {
namespace {

const char kKey[] = "SOFTWARE\\Vendor\\Thing";

TEST(RegistryReader, ReadsTypedValuesOfAnImportedKey) {
  TMemoryRegistry registry;
  registry.Import(
      "REGEDIT4\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Thing]\r\n"
      "\"Folder\"=\"C:\\\\Program Files\\\\Say \\\"hi\\\"\"\r\n"
      "\"Empty\"=\"\"\r\n"
      "\"Count\"=dword:ffffffff\r\n"
      "\"Blob\"=hex:01,02,\\\r\n"
      "  03,04\r\n"
      "\"Multi\"=hex(7):41,00,00,00\r\n");
  TRegistryReader key(registry, "software\\vendor\\THING");  // keys match without case, as on Windows
  ASSERT_TRUE(key.IsOpen());
  EXPECT_EQ(key.ReadString("Folder"), "C:\\Program Files\\Say \"hi\"");
  EXPECT_EQ(key.ReadString("Empty"), "");
  EXPECT_EQ(key.ReadInteger("count"), -1);
  EXPECT_TRUE(key.HasValue("Blob"));
  EXPECT_TRUE(key.HasValue("Multi"));
  EXPECT_FALSE(key.HasValue("Missing"));
}

TEST(RegistryReader, RejectsUnreadableRegText) {
  for (const char* text : {"[HKEY_CURRENT_USER\\Software]\n",
                           "\"Orphan\"=\"value before any key\"\n",
                           "[HKEY_LOCAL_MACHINE\\K]\n\"Open=\"x\n",
                           "[HKEY_LOCAL_MACHINE\\K]\n\"V\"=dword:12\n",
                           "[HKEY_LOCAL_MACHINE\\K]\n\"V\"=qword:1\n"}) {
    TMemoryRegistry registry;
    EXPECT_THROW(registry.Import(text), std::runtime_error) << text;
  }
}

TEST(RegistryReader, WrongTypeRaisesNamingKeyAndValue) {
  TMemoryRegistry registry;
  registry.SetString(kKey, "Text", "2");
  registry.SetInteger(kKey, "Number", 2);
  registry.SetOther(kKey, "Blob");
  TRegistryReader key(registry, kKey);
  struct Case {
    const char* name;
    bool asInteger;
    const char* kind;
  };
  for (const Case& c : {Case{"Text", true, "a 4-byte integer"}, Case{"Blob", true, "a 4-byte integer"},
                        Case{"Number", false, "a string"}, Case{"Blob", false, "a string"}}) {
    try {
      if (c.asInteger) {
        key.ReadInteger(c.name);
      } else {
        key.ReadString(c.name);
      }
      ADD_FAILURE() << c.name << " read without error";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), std::string("Registry value \"") + c.name +
                                           "\" of key \"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Thing\" is not " +
                                           c.kind);
    }
  }
}

TEST(RegistryReader, OpensForReadingAKeyThatRefusesFullAccess) {
  TMemoryRegistry registry;
  registry.AddKey(kKey, kKeyRead);
  registry.SetInteger(kKey, "Number", 7);
  EXPECT_EQ(registry.OpenKey(kKey, 0xF003F /* KEY_ALL_ACCESS */), nullptr);
  TRegistryReader key(registry, kKey);
  ASSERT_TRUE(key.IsOpen());
  EXPECT_EQ(key.ReadInteger("Number"), 7);
}

TEST(RegistryReader, AbsentKeyHasNoValues) {
  TMemoryRegistry registry;
  TRegistryReader key(registry, kKey);
  EXPECT_FALSE(key.IsOpen());
  EXPECT_FALSE(key.HasValue("Number"));
}

}  // namespace
}  // namespace lmr
