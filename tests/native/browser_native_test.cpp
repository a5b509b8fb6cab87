// The browser's resource tree, its builder over a scripted provider, and the
// outline's expanding, collapsing, pictures and chosen names.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "browser/outline.h"
#include "browser/resource_tree.h"
#include "browser/tree_builder.h"

using namespace zenk::browser;

namespace {

struct Entry {
    unsigned long displayType;
    const char* remote;  // may be null
    const char* comment;
    const char* provider;
};

// Answers each container by its remote name ("" for the top level) and
// records every call.
class ScriptedProvider : public ResourceProvider {
public:
    std::map<std::string, std::vector<Entry>> answers;
    struct Call {
        unsigned long scope;
        bool hasContainer;
        std::string remote;
        unsigned long displayType;
        bool remoteNull;
    };
    std::vector<Call> calls;

    void Enumerate(unsigned long scope, const ResourceRecord* container, EntrySink& sink) override {
        Call call{scope, container != nullptr, "", 0, true};
        if (container) {
            call.remoteNull = container->remoteName == nullptr;
            if (container->remoteName) call.remote = container->remoteName;
            call.displayType = container->displayType;
        }
        calls.push_back(call);
        std::string key = container ? (container->remoteName ? container->remoteName : "<null>") : "";
        auto found = answers.find(key);
        if (found == answers.end()) return;
        for (const Entry& e : found->second) {
            ResourceRecord r;
            r.scope = 2;
            r.type = 1;
            r.usage = 2;
            r.displayType = e.displayType;
            r.remoteName = e.remote;
            r.comment = e.comment;
            r.provider = e.provider;
            sink.Add(r);
        }
    }
};

std::vector<std::string> Names(const ResourceNode* first) {
    std::vector<std::string> out;
    for (; first; first = first->next) out.push_back(first->name);
    return out;
}

ScriptedProvider LabProvider() {
    ScriptedProvider p;
    p.answers[""] = {{6, "Lab Network", "the lab", "Lab Provider"}, {6, "Other Net", nullptr, nullptr}};
    p.answers["Lab Network"] = {{1, "WORKGROUP", nullptr, "Lab Provider"}, {1, "ZENKLAB", nullptr, nullptr}};
    p.answers["WORKGROUP"] = {{2, "\\\\ALPHA", "alpha", "Lab Provider"}, {2, "\\\\BRAVO", nullptr, nullptr}};
    p.answers["ZENKLAB"] = {{2, "\\\\CHARLIE", nullptr, nullptr}};
    p.answers["Other Net"] = {{1, "SOLO", nullptr, nullptr}};
    return p;
}

TEST(ResourceTree, TextsAreCutToThirtyOneCharactersAndAlwaysTerminated) {
    char buf[8];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_TRUE(CopyText(buf, sizeof buf, "1234567"));
    EXPECT_STREQ(buf, "1234567");
    EXPECT_FALSE(CopyText(buf, sizeof buf, "12345678"));
    EXPECT_STREQ(buf, "1234567");
    EXPECT_TRUE(CopyText(buf, sizeof buf, nullptr));
    EXPECT_STREQ(buf, "");
    EXPECT_STREQ(SkipBackslashes("\\\\HOST"), "HOST");
    EXPECT_STREQ(SkipBackslashes("\\\\\\"), "");
    EXPECT_STREQ(SkipBackslashes(nullptr), "");
}

TEST(ResourceTree, NodeOwnsItsRecordTextsAndKeepsALongRemoteName) {
    ResourceRecord entry;
    entry.scope = 2;
    entry.type = 1;
    entry.displayType = 1;
    entry.usage = 2;
    entry.localName = "X:";
    std::string comment(40, 'c');
    entry.comment = comment.c_str();
    std::string longName = "A" + std::string(40, 'b');
    ResourceNode* node = NewNode(entry, longName.c_str(), kDomainLevel);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(std::string(node->name), longName.substr(0, 31));
    EXPECT_EQ(std::string(node->comment), comment.substr(0, 31));
    EXPECT_STREQ(node->provider, "");
    // The record points at the node's own texts; the remote name is uncut.
    EXPECT_EQ(node->record.comment, node->comment);
    EXPECT_EQ(node->record.provider, node->provider);
    EXPECT_EQ(std::string(node->record.remoteName), longName);
    EXPECT_NE(node->record.remoteName, longName.c_str());
    EXPECT_EQ(node->record.localName, nullptr);
    EXPECT_EQ(node->record.displayType, 1u);
    EXPECT_EQ(node->expanded, 0u);
    FreeTree(node);

    ResourceNode* shortOne = NewNode(entry, "SHORT", kDomainLevel);
    EXPECT_EQ(shortOne->record.remoteName, shortOne->name);
    EXPECT_EQ(shortOne->fullRemoteName, nullptr);
    FreeTree(shortOne);
}

TEST(ResourceTree, KindFollowsDisplayTypeElseLevel) {
    ResourceRecord entry;
    const std::pair<unsigned long, EntryKind> known[] = {
        {0, EntryKind::Network}, {6, EntryKind::Network}, {7, EntryKind::Network},
        {1, EntryKind::Domain},  {2, EntryKind::Server}};
    for (auto [type, kind] : known) {
        entry.displayType = type;
        ResourceNode* n = NewNode(entry, "n", kServerLevel);
        EXPECT_EQ(KindOf(*n), kind) << type;
        FreeTree(n);
    }
    entry.displayType = 5;  // a group: shown as its level's kind
    for (int level : {kNetworkLevel, kDomainLevel, kServerLevel}) {
        ResourceNode* n = NewNode(entry, "n", level);
        EXPECT_EQ(KindOf(*n), level == 0 ? EntryKind::Network
                              : level == 1 ? EntryKind::Domain : EntryKind::Server);
        FreeTree(n);
    }
}

TEST(TreeBuilder, BuildsNetworksDomainsAndServersInOrder) {
    ScriptedProvider p = LabProvider();
    ResourceNode* tree = BuildTree(p, false);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(Names(tree), (std::vector<std::string>{"Lab Network", "Other Net"}));
    EXPECT_EQ(Names(tree->firstChild), (std::vector<std::string>{"WORKGROUP", "ZENKLAB"}));
    EXPECT_EQ(Names(tree->firstChild->firstChild), (std::vector<std::string>{"\\\\ALPHA", "\\\\BRAVO"}));
    EXPECT_EQ(Names(tree->firstChild->next->firstChild), (std::vector<std::string>{"\\\\CHARLIE"}));
    EXPECT_EQ(Names(tree->next->firstChild), (std::vector<std::string>{"SOLO"}));
    EXPECT_STREQ(tree->comment, "the lab");
    EXPECT_STREQ(tree->provider, "Lab Provider");
    EXPECT_STREQ(tree->next->comment, "");
    EXPECT_STREQ(tree->firstChild->firstChild->comment, "alpha");

    // Links: previous is the parent for a first child, the sibling otherwise.
    ResourceNode* alpha = tree->firstChild->firstChild;
    EXPECT_EQ(alpha->previous, tree->firstChild);
    EXPECT_EQ(alpha->next->previous, alpha);
    EXPECT_EQ(alpha->parent, tree->firstChild);
    EXPECT_EQ(alpha->level, kServerLevel);
    EXPECT_EQ(tree->next->previous, tree);
    EXPECT_EQ(tree->parent, nullptr);

    // Top level with global scope and no container; every level below with
    // global scope and the node's record as container; networks first.
    ASSERT_EQ(p.calls.size(), 1u + 2 + 3);
    EXPECT_EQ(p.calls[0].scope, kScopeGlobalNet);
    EXPECT_FALSE(p.calls[0].hasContainer);
    EXPECT_EQ(p.calls[1].remote, "Lab Network");
    EXPECT_EQ(p.calls[1].displayType, 6u);
    EXPECT_EQ(p.calls[2].remote, "Other Net");
    EXPECT_EQ(p.calls[3].remote, "WORKGROUP");
    EXPECT_EQ(p.calls[5].remote, "SOLO");
    for (const auto& c : p.calls) EXPECT_EQ(c.scope, kScopeGlobalNet);
    FreeTree(tree);
}

TEST(TreeBuilder, MissingNamesGetTheirStandInTexts) {
    ScriptedProvider p;
    p.answers[""] = {{6, nullptr, "commented", nullptr}, {6, "", nullptr, nullptr}};
    p.answers["Network Name Not Availble"] = {{1, nullptr, nullptr, nullptr}};
    ResourceNode* tree = BuildTree(p, false);
    EXPECT_EQ(Names(tree), (std::vector<std::string>{"Network Name Not Availble",
                                                     "Network Name Not Availble"}));
    ASSERT_NE(tree->firstChild, nullptr);
    EXPECT_STREQ(tree->firstChild->name, "WorkGroup Name Not Availble");
    FreeTree(tree);
}

TEST(TreeBuilder, Windows95FamilyUsesContextScopeCommentsAndNoRemoteName) {
    ScriptedProvider p;
    p.answers[""] = {{6, nullptr, "commented", nullptr}, {6, nullptr, nullptr, nullptr},
                     {6, "Named", nullptr, nullptr}};
    p.answers["<null>"] = {{1, "DOM", nullptr, nullptr}};
    ResourceNode* tree = BuildTree(p, true);
    EXPECT_EQ(Names(tree), (std::vector<std::string>{"commented", "Network Name Not Availble", "Named"}));
    EXPECT_EQ(p.calls[0].scope, kScopeContext);
    // Domains are asked for without the network's remote name, which the
    // node keeps afterwards.
    for (int i = 1; i <= 3; ++i) {
        EXPECT_TRUE(p.calls[i].hasContainer);
        EXPECT_TRUE(p.calls[i].remoteNull);
        EXPECT_EQ(p.calls[i].scope, kScopeGlobalNet);
    }
    EXPECT_EQ(tree->next->next->record.remoteName, tree->next->next->name);
    EXPECT_STREQ(tree->firstChild->name, "DOM");
    FreeTree(tree);
}

TEST(TreeBuilder, NoNetworkGivesNoTree) {
    ScriptedProvider p;
    EXPECT_EQ(BuildTree(p, false), nullptr);
    EXPECT_EQ(p.calls.size(), 1u);
}

// The list box as a vector, counting redraw brackets.
class VectorList : public OutlineList {
public:
    std::vector<ResourceNode*> items;
    int updates = 0;
    bool open = false;
    int Count() const override { return static_cast<int>(items.size()); }
    ResourceNode* NodeAt(int i) const override {
        return i >= 0 && i < Count() ? items[i] : nullptr;
    }
    bool Insert(int i, ResourceNode* n) override {
        EXPECT_TRUE(open);
        items.insert(items.begin() + i, n);
        return true;
    }
    void Remove(int i) override {
        EXPECT_TRUE(open);
        items.erase(items.begin() + i);
    }
    void BeginUpdate() override { open = true; }
    void EndUpdate() override { open = false; ++updates; }
    std::vector<std::string> Shown() const {
        std::vector<std::string> out;
        for (auto* n : items) out.push_back(n ? DisplayName(*n) : "<text>");
        return out;
    }
};

class Outline : public ::testing::Test {
protected:
    void SetUp() override {
        provider = LabProvider();
        tree = BuildTree(provider, false);
        for (ResourceNode* n = tree; n; n = n->next) list.items.push_back(n);
    }
    void TearDown() override { FreeTree(tree); }
    ScriptedProvider provider;
    ResourceNode* tree = nullptr;
    VectorList list;
};

TEST_F(Outline, ExpandsNetworkThenDomainBelowIt) {
    EXPECT_EQ(ToggleItem(list, 0), OutlineAction::Expanded);
    EXPECT_EQ(list.Shown(), (std::vector<std::string>{"Lab Network", "WORKGROUP", "ZENKLAB", "Other Net"}));
    EXPECT_EQ(ToggleItem(list, 2), OutlineAction::Expanded);
    EXPECT_EQ(list.Shown(), (std::vector<std::string>{"Lab Network", "WORKGROUP", "ZENKLAB", "CHARLIE", "Other Net"}));
    EXPECT_EQ(ToggleItem(list, 1), OutlineAction::Expanded);
    EXPECT_EQ(list.Shown(), (std::vector<std::string>{"Lab Network", "WORKGROUP", "ALPHA", "BRAVO",
                                                      "ZENKLAB", "CHARLIE", "Other Net"}));
    EXPECT_EQ(list.updates, 3);
    // Collapsing a domain removes only its servers.
    EXPECT_EQ(ToggleItem(list, 1), OutlineAction::Collapsed);
    EXPECT_EQ(list.Shown(), (std::vector<std::string>{"Lab Network", "WORKGROUP", "ZENKLAB", "CHARLIE", "Other Net"}));
}

TEST_F(Outline, CollapsingNetworkRemovesAllBelowAndReopensDomainsCollapsed) {
    ToggleItem(list, 0);
    ToggleItem(list, 1);
    ToggleItem(list, 4);
    ASSERT_EQ(list.Count(), 7);
    EXPECT_EQ(ToggleItem(list, 0), OutlineAction::Collapsed);
    EXPECT_EQ(list.Shown(), (std::vector<std::string>{"Lab Network", "Other Net"}));
    EXPECT_EQ(tree->expanded, 0u);
    EXPECT_EQ(tree->firstChild->expanded, 0u);
    EXPECT_EQ(tree->firstChild->next->expanded, 0u);
    EXPECT_EQ(ToggleItem(list, 0), OutlineAction::Expanded);
    EXPECT_EQ(list.Shown(), (std::vector<std::string>{"Lab Network", "WORKGROUP", "ZENKLAB", "Other Net"}));
}

TEST_F(Outline, CollapseStopsAtANodeOutsideTheSubtreeWhateverItsKind) {
    // A top-level entry that calls itself a server is not eaten by the
    // collapse of the network above it.
    ResourceRecord odd;
    odd.displayType = kDisplayServer;
    ResourceNode* stray = NewNode(odd, "\\\\STRAY", kNetworkLevel);
    AppendSibling(tree, stray);
    list.items.push_back(stray);
    ToggleItem(list, 1);  // Other Net
    EXPECT_EQ(list.Shown(), (std::vector<std::string>{"Lab Network", "Other Net", "SOLO", "STRAY"}));
    ToggleItem(list, 1);
    EXPECT_EQ(list.Shown(), (std::vector<std::string>{"Lab Network", "Other Net", "STRAY"}));
    EXPECT_EQ(ToggleItem(list, 2), OutlineAction::Choose);
}

TEST_F(Outline, ServersChooseTextsAndChildlessEntriesDoNothing) {
    ToggleItem(list, 0);
    ToggleItem(list, 1);
    EXPECT_EQ(ToggleItem(list, 2), OutlineAction::Choose);  // ALPHA
    EXPECT_EQ(list.Count(), 6);
    EXPECT_EQ(ToggleItem(list, -1), OutlineAction::None);
    EXPECT_EQ(ToggleItem(list, 99), OutlineAction::None);

    ToggleItem(list, 5);  // Other Net
    ToggleItem(list, 6);  // SOLO has no servers
    EXPECT_EQ(list.Count(), 7);
    EXPECT_EQ(tree->next->firstChild->expanded, 0u);

    VectorList texts;
    texts.items.push_back(nullptr);  // "Network Error"
    EXPECT_EQ(ToggleItem(texts, 0), OutlineAction::None);
    EXPECT_EQ(texts.updates, 0);
}

TEST_F(Outline, PicturesAndIndentationFollowKindAndState) {
    ResourceNode* net = tree;
    ResourceNode* dom = tree->firstChild;
    ResourceNode* srv = dom->firstChild;
    EXPECT_EQ(StyleOf(*net).picture, Picture::NetworkCollapsed);
    EXPECT_EQ(StyleOf(*net).indent, 0);
    EXPECT_EQ(StyleOf(*dom).picture, Picture::DomainCollapsed);
    EXPECT_EQ(StyleOf(*dom).indent, 10);
    EXPECT_EQ(StyleOf(*srv).picture, Picture::Server);
    EXPECT_EQ(StyleOf(*srv).indent, 20);
    ToggleItem(list, 0);
    ToggleItem(list, 1);
    EXPECT_EQ(StyleOf(*net).picture, Picture::NetworkExpanded);
    EXPECT_EQ(StyleOf(*dom).picture, Picture::DomainExpanded);
    EXPECT_EQ(static_cast<int>(Picture::Server), kPictureCount - 1);
}

TEST(ChosenName, SkipsBackslashesAndRefusesWhatDoesNotFit) {
    ResourceRecord entry;
    entry.displayType = kDisplayServer;
    char out[32];
    std::memset(out, 'Q', sizeof out);

    ResourceNode* host = NewNode(entry, "\\\\HOST", kServerLevel);
    ASSERT_TRUE(ChosenName(*host, out, sizeof out));
    EXPECT_STREQ(out, "HOST");
    FreeTree(host);

    // 30 characters after two backslashes: the stored name is cut, but the
    // real name fits the caller's 32 bytes.
    std::string thirty(30, 'h');
    ResourceNode* fits = NewNode(entry, ("\\\\" + thirty).c_str(), kServerLevel);
    EXPECT_EQ(std::strlen(DisplayName(*fits)), 29u);
    ASSERT_TRUE(ChosenName(*fits, out, sizeof out));
    EXPECT_EQ(std::string(out), thirty);
    FreeTree(fits);

    std::memset(out, 'Q', sizeof out);
    ResourceNode* tooLong = NewNode(entry, ("\\\\" + std::string(32, 'z')).c_str(), kServerLevel);
    EXPECT_FALSE(ChosenName(*tooLong, out, sizeof out));
    EXPECT_EQ(out[0], 'Q');
    EXPECT_FALSE(ChosenName(*tooLong, nullptr, sizeof out));
    FreeTree(tooLong);
}

}  // namespace
