#pragma once
// Data files on disk for the open-file tests, and a listener that records what
// it hears.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/DocumentListener.h"
#include "session/DocumentSession.h"
#include "storage/DataFile.h"
#include "testsupport/TempDir.h"

namespace keymora::test {

inline std::string sampleXml(const char* filetype) {
    return std::string("<datafile version=\"1.5\" DateModified=\"1/2/2020 3:04:05 PM\" filetype=\"") +
           filetype +
           "\"><records>"
           "<category id=\"{C1}\" type=\"category\" value=\"Banking\">"
           "<subcategory id=\"{S1}\" type=\"subcategory\" value=\"Cards\"/>"
           "<record_detail id=\"{E1}\" type=\"entry\"><resource>Mail</resource><userid>alice</userid>"
           "<password>s3cret</password><notes/><DateCreated>1/1/2020</DateCreated>"
           "<DateModified>1/1/2020</DateModified><URL/></record_detail>"
           "<record_detail id=\"{E2}\" type=\"entry\"><resource>Bank</resource><userid/>"
           "<password/><notes/><DateCreated/><DateModified/><URL/></record_detail>"
           "</category>"
           "<category id=\"{C2}\" type=\"category\" value=\"Other\"/>"
           "</records></datafile>";
}

inline void writeDataFile(const std::string& path, const std::string& xml,
                          const std::string& user = "me", const std::string& password = "pw") {
    XmlDoc doc;
    ASSERT_TRUE(doc.loadXml(xml));
    datafile::writeFileAtomically(path, datafile::saveDocument(doc, user, password));
}

// Answers the login with fixed credentials and counts how often it was asked.
struct Login {
    std::string user = "me";
    std::string password = "pw";
    int asked = 0;
    AskCredentials fn() {
        return [this](FileCredentials& c) {
            ++asked;
            c.userId.value() = user;
            c.password.value() = password;
            return true;
        };
    }
};

struct Recorder : DocumentListener {
    std::vector<std::string> heard;
    static std::string name(pugi::xml_node n) {
        if (!n) return "-";
        const char* id = n.attribute("id").value();
        return *id ? id : n.name();
    }
    void nodeInserted(pugi::xml_node n) override { heard.push_back("inserted " + name(n)); }
    void nodeAboutToBeRemoved(pugi::xml_node n) override {
        // The node must still be in place when this is heard.
        heard.push_back("removing " + name(n) + " from " + name(n.parent()));
    }
    void nodeRemoved(pugi::xml_node p) override { heard.push_back("removed from " + name(p)); }
    void nodeChanged(pugi::xml_node n) override { heard.push_back("changed " + name(n)); }
    void childrenAboutToBeReordered(pugi::xml_node p) override { heard.push_back("reordering " + name(p)); }
    void childrenReordered(pugi::xml_node p) override { heard.push_back("reordered " + name(p)); }
    void documentAboutToBeReset() override { heard.push_back("resetting"); }
    void documentReset() override { heard.push_back("reset"); }
    void documentEdited() override { heard.push_back("edited"); }
    void dirtyChanged(bool d) override { heard.push_back(d ? "dirty" : "clean"); }
    void fileStateChanged() override { heard.push_back("file state"); }
};

}  // namespace keymora::test
