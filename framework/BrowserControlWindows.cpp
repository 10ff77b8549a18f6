#include "framework/BrowserControl.h"
#include "framework/bridge/TextCodec.h"

#include <exdisp.h>
#include <mshtmhst.h>
#include <ole2.h>
#include <oleidl.h>

#include <cstdio>
#include <string>

namespace afx {

using bridge::ToWide;

namespace {

std::string hresultText(const char* step, HRESULT result)
{
    char text[96];
    std::snprintf(text, sizeof(text), "%s failed (0x%08lx)", step, static_cast<unsigned long>(result));
    return text;
}

template <typename T> void release(T*& pointer)
{
    if (pointer) {
        pointer->Release();
        pointer = nullptr;
    }
}

} // namespace

// The container: one COM object with every interface the control asks its
// site for. It lives as long as someone holds a reference; the
// BrowserControl holds one, and so does the control while it is attached.
struct BrowserControl::Site final : public IOleClientSite,
                                    public IOleInPlaceSite,
                                    public IOleInPlaceFrame,
                                    public IDocHostUIHandler {
    LONG references = 1;
    HWND parent = NULL;
    RECT area = {};
    DWORD hostFlags = 0;
    IOleObject* object = nullptr;
    IWebBrowser2* browser = nullptr;
    IOleInPlaceObject* inPlace = nullptr;
    IOleInPlaceActiveObject* active = nullptr;
    HWND window = NULL; // the control's outer window

    // ---- IUnknown ----
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite))
            *out = static_cast<IOleClientSite*>(this);
        else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite))
            *out = static_cast<IOleInPlaceSite*>(this);
        else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame))
            *out = static_cast<IOleInPlaceFrame*>(this);
        else if (IsEqualIID(iid, IID_IDocHostUIHandler))
            *out = static_cast<IDocHostUIHandler*>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG left = InterlockedDecrement(&references);
        if (left == 0)
            delete this;
        return left;
    }

    // ---- IOleClientSite ----
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override
    {
        if (moniker)
            *moniker = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override
    {
        if (container)
            *container = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // ---- IOleWindow (of the in-place site and of the frame) ----
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override
    {
        if (!out)
            return E_POINTER;
        *out = parent;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(WINBOOL) override { return E_NOTIMPL; }

    // ---- IOleInPlaceSite ----
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                               LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override
    {
        if (!frame || !document || !position || !clip || !info)
            return E_POINTER;
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *document = nullptr;
        *position = area;
        *clip = area;
        info->fMDIApp = FALSE;
        info->hwndFrame = parent;
        info->haccel = NULL;
        info->cAccelEntries = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT rect) override
    {
        if (rect && inPlace)
            inPlace->SetObjectRects(rect, rect);
        return S_OK;
    }

    // ---- IOleInPlaceUIWindow, IOleInPlaceFrame: a frame without menus or tool space ----
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override
    {
        if (object)
            object->AddRef();
        release(active);
        active = object;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // ---- IDocHostUIHandler: the browser's own menus and keys, our host flags ----
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override
    {
        if (!info)
            return E_POINTER;
        info->dwFlags = hostFlags;
        info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                     IOleInPlaceUIWindow*) override
    {
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE HideUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE UpdateUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key, DWORD) override
    {
        if (key)
            *key = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget*, IDropTarget** target) override
    {
        if (target)
            *target = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** external) override
    {
        if (external)
            *external = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override
    {
        if (out)
            *out = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject*, IDataObject** out) override
    {
        if (out)
            *out = nullptr;
        return S_FALSE;
    }

    // Detaches the control and lets go of it.
    void Close()
    {
        release(active);
        if (inPlace)
            inPlace->InPlaceDeactivate();
        release(inPlace);
        release(browser);
        if (object) {
            object->Close(OLECLOSE_NOSAVE);
            object->SetClientSite(nullptr);
        }
        release(object);
        window = NULL;
    }
};

std::unique_ptr<BrowserControl> BrowserControl::Create(HWND parent, const RECT& area, DWORD hostFlags,
                                                       std::string& failure)
{
    std::unique_ptr<BrowserControl> control(new BrowserControl());
    Site* site = new Site();
    control->m_site = site;
    site->parent = parent;
    site->area = area;
    site->hostFlags = hostFlags;

    HRESULT result = CoCreateInstance(CLSID_WebBrowser, NULL, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                      reinterpret_cast<void**>(&site->object));
    if (FAILED(result)) {
        failure = hresultText("CoCreateInstance(CLSID_WebBrowser)", result);
        return nullptr;
    }
    result = site->object->SetClientSite(static_cast<IOleClientSite*>(site));
    if (SUCCEEDED(result))
        result = OleSetContainedObject(site->object, TRUE);
    if (SUCCEEDED(result))
        result = site->object->DoVerb(OLEIVERB_INPLACEACTIVATE, NULL, static_cast<IOleClientSite*>(site), 0, parent,
                                      &site->area);
    if (FAILED(result)) {
        failure = hresultText("In-place activation of the browser control", result);
        return nullptr;
    }
    result = site->object->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&site->browser));
    if (SUCCEEDED(result))
        result = site->object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&site->inPlace));
    if (SUCCEEDED(result))
        result = site->inPlace->GetWindow(&site->window);
    if (FAILED(result) || !site->window) {
        failure = hresultText("The browser control's window", FAILED(result) ? result : E_FAIL);
        return nullptr;
    }
    // Script errors of a page are not the user's business: no dialogs.
    site->browser->put_Silent(VARIANT_TRUE);
    return control;
}

BrowserControl::~BrowserControl()
{
    if (m_site) {
        m_site->Close();
        m_site->Release();
    }
}

bool BrowserControl::Navigate(const std::string& address)
{
    BSTR url = SysAllocString(ToWide(CP_UTF8, address).c_str());
    if (!url)
        return false;
    VARIANT empty;
    VariantInit(&empty);
    HRESULT result = m_site->browser->Navigate(url, &empty, &empty, &empty, &empty);
    SysFreeString(url);
    return SUCCEEDED(result);
}

void BrowserControl::SetHostFlags(DWORD hostFlags)
{
    m_site->hostFlags = hostFlags; // asked for again by every document that loads
}

void BrowserControl::Move(const RECT& area)
{
    m_site->area = area;
    if (m_site->inPlace)
        m_site->inPlace->SetObjectRects(&area, &area);
}

void BrowserControl::Focus()
{
    RECT area = m_site->area;
    m_site->object->DoVerb(OLEIVERB_UIACTIVATE, NULL, static_cast<IOleClientSite*>(m_site), 0, m_site->parent,
                           &area);
}

bool BrowserControl::TranslateKey(MSG* message)
{
    if (message->message < WM_KEYFIRST || message->message > WM_KEYLAST)
        return false;
    if (message->hwnd != m_site->window && !IsChild(m_site->window, message->hwnd))
        return false;
    IOleInPlaceActiveObject* active = m_site->active;
    IOleInPlaceActiveObject* asked = nullptr;
    if (!active && SUCCEEDED(m_site->object->QueryInterface(IID_IOleInPlaceActiveObject,
                                                            reinterpret_cast<void**>(&asked))))
        active = asked;
    bool handled = active && active->TranslateAccelerator(message) == S_OK;
    release(asked);
    return handled;
}

HWND BrowserControl::Window() const
{
    return m_site->window;
}

} // namespace afx
