// cmd_target.h - CObject with run-time class information, and CCmdTarget,
// the base of everything that handles menu commands.
//
// Run-time classes: DECLARE_DYNAMIC / IMPLEMENT_DYNAMIC give a class its
// CRuntimeClass; DECLARE_DYNCREATE / IMPLEMENT_DYNCREATE also let the
// framework create it by name (CRuntimeClass::FromName).
//
// Command maps: a class lists the command ids it handles between
// BEGIN_MESSAGE_MAP(cls, base) and END_MESSAGE_MAP() with
// ON_COMMAND(id, &cls::Handler); a handler takes no arguments. Ids not in a
// class's map are looked up in its base's map. Window messages other than
// commands are handled by the virtual functions of CWnd.
#pragma once
#include <windows.h>

class CObject;

struct CRuntimeClass {
    const char* m_lpszClassName;       // the name the class is created by
    CObject* (*m_pfnCreateObject)();   // null when the class is not DYNCREATE
    const CRuntimeClass* m_pBaseClass; // null for CObject

    // do not override these
    CObject* CreateObject() const;
    //  a new object of the class, or null (not DYNCREATE or out of memory)
    bool IsDerivedFrom(const CRuntimeClass* base) const;
    //  true when this class is base or derives from it
    static const CRuntimeClass* FromName(const char* name);
    //  the registered class of that name, or null
    static void Register(CRuntimeClass* cls);
    //  adds a class to the name registry (done by IMPLEMENT_DYNAMIC)
};

class CObject {
public:
    virtual ~CObject() = default;
    static CRuntimeClass classCObject;

    // override these (through the DECLARE_ macros only)
    virtual const CRuntimeClass* GetRuntimeClass() const { return &classCObject; }
    //  the object's run-time class

    // do not override these
    bool IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }
    //  true when the object is of class cls or a class derived from it
};

#define RUNTIME_CLASS(cls) (&cls::class##cls)

#define DECLARE_DYNAMIC(cls) \
public: \
    static CRuntimeClass class##cls; \
    const CRuntimeClass* GetRuntimeClass() const override { return &class##cls; }

#define DECLARE_DYNCREATE(cls) \
    DECLARE_DYNAMIC(cls) \
    static CObject* CreateObject();

struct AfxClassInit {
    explicit AfxClassInit(CRuntimeClass* cls) { CRuntimeClass::Register(cls); }
};

#define IMPLEMENT_DYNAMIC(cls, base) \
    CRuntimeClass cls::class##cls = {#cls, nullptr, RUNTIME_CLASS(base)}; \
    static AfxClassInit init##cls(&cls::class##cls);

#define IMPLEMENT_DYNCREATE(cls, base) \
    CObject* cls::CreateObject() { return new (std::nothrow) cls; } \
    CRuntimeClass cls::class##cls = {#cls, &cls::CreateObject, RUNTIME_CLASS(base)}; \
    static AfxClassInit init##cls(&cls::class##cls);

class CCmdTarget;
typedef void (CCmdTarget::*AFX_PMSG)();

struct AFX_MSGMAP_ENTRY {
    UINT nID;          // command id; 0 ends the table
    AFX_PMSG pfn;      // handler of the command
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* pBaseMap;        // the base class's map, or null
    const AFX_MSGMAP_ENTRY* lpEntries; // this class's entries, ended by id 0
};

#define DECLARE_MESSAGE_MAP() \
protected: \
    static const AFX_MSGMAP_ENTRY messageEntries[]; \
    static const AFX_MSGMAP messageMap; \
    const AFX_MSGMAP* GetMessageMap() const override { return &messageMap; }

#define BEGIN_MESSAGE_MAP(cls, base) \
    const AFX_MSGMAP cls::messageMap = {&base::messageMap, cls::messageEntries}; \
    const AFX_MSGMAP_ENTRY cls::messageEntries[] = {

#define ON_COMMAND(id, handler) {static_cast<UINT>(id), static_cast<AFX_PMSG>(handler)},

#define END_MESSAGE_MAP() {0, nullptr}};

class CCmdTarget : public CObject {
public:
    DECLARE_DYNAMIC(CCmdTarget)

    // override these
    virtual BOOL OnCmdMsg(UINT nID);
    //  handles command nID through the command map; TRUE when handled.
    //  Frames, views and documents override it to route further.

    // do not override these
    void BeginWaitCursor();
    //  shows the hourglass until the matching EndWaitCursor
    void EndWaitCursor();
    //  ends one BeginWaitCursor; the arrow returns after the last
    BOOL DispatchCommand(UINT nID);
    //  runs the handler of nID from this object's own map chain only

protected:
    static const AFX_MSGMAP_ENTRY messageEntries[];
    static const AFX_MSGMAP messageMap;
    virtual const AFX_MSGMAP* GetMessageMap() const { return &messageMap; }
    //  the class's command map (declared by DECLARE_MESSAGE_MAP)
};
