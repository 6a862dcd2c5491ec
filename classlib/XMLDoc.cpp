// The XML document over MSXML 3's document object model.
#include "classlib/XMLDoc.h"

#include <windows.h>

#include <msxml2.h>
#include <objbase.h>
#include <oleauto.h>

#include <utility>

#include "classlib/FileUtils.h"

namespace {

//--- COM helpers

// MSXML 3's DOMDocument30 class; mingw-w64's import library does not carry it.
std::wstring& ComponentClass() {
    static std::wstring classId = L"{F5078F32-C551-11D3-89B9-0000F81FE221}";
    return classId;
}

// IXMLDOMDocument2, which the import library lacks as well.
const IID kDocument2Interface = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// COM stays initialised on the thread for the rest of the process: documents are
// made now and then for the whole run, and nothing is gained by tearing it down.
void EnsureCom() {
    thread_local bool initialised = false;
    if (initialised) return;
    // RPC_E_CHANGED_MODE means COM already runs on this thread in another model;
    // MSXML works in either.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    initialised = true;
}

// Owns one reference of a COM interface.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (m_p) m_p->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    T** Receive() { return &m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // Gives up ownership of the reference.
    T* Detach() { return std::exchange(m_p, nullptr); }

private:
    T* m_p = nullptr;
};

// Owns a BSTR.
class BStr {
public:
    BStr() = default;
    explicit BStr(const std::wstring& text) : m_b(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
        if (!m_b && !text.empty()) throw EXMLDocError("Out of memory");
    }
    ~BStr() { SysFreeString(m_b); }
    BStr(const BStr&) = delete;
    BStr& operator=(const BStr&) = delete;

    BSTR Get() const { return m_b; }
    BSTR* Receive() { return &m_b; }
    std::wstring Str() const { return m_b ? std::wstring(m_b, SysStringLen(m_b)) : std::wstring(); }

private:
    BSTR m_b = nullptr;
};

void Check(HRESULT hr, const char* what) {
    if (FAILED(hr)) throw EXMLDocError(std::string(what) + " failed (XML document object model)");
}

// The document a node belongs to (the node itself for a document node).
void DocumentOf(IXMLDOMNode* node, ComPtr<IXMLDOMDocument>& document) {
    if (SUCCEEDED(node->QueryInterface(IID_IXMLDOMDocument, reinterpret_cast<void**>(document.Receive())))) return;
    Check(node->get_ownerDocument(document.Receive()), "Finding the document");
    if (!document) throw EXMLDocError("The node belongs to no document");
}

bool IsDocument(IXMLDOMNode* node) {
    DOMNodeType type = NODE_INVALID;
    return SUCCEEDED(node->get_nodeType(&type)) && type == NODE_DOCUMENT;
}

// The first child element named `name`, or null.
IXMLDOMNode* FindChildElement(IXMLDOMNode* parent, const std::wstring& name) {
    ComPtr<IXMLDOMNode> child;
    Check(parent->get_firstChild(child.Receive()), "Reading the child nodes");
    while (child) {
        DOMNodeType type = NODE_INVALID;
        Check(child->get_nodeType(&type), "Reading a node type");
        if (type == NODE_ELEMENT) {
            BStr childName;
            Check(child->get_nodeName(childName.Receive()), "Reading a node name");
            if (childName.Str() == name) return child.Detach();
        }
        ComPtr<IXMLDOMNode> next;
        Check(child->get_nextSibling(next.Receive()), "Reading the child nodes");
        std::swap(*child.Receive(), *next.Receive());
    }
    return nullptr;
}

void RemoveChildren(IXMLDOMNode* node) {
    for (;;) {
        ComPtr<IXMLDOMNode> child;
        Check(node->get_firstChild(child.Receive()), "Reading the child nodes");
        if (!child) break;
        ComPtr<IXMLDOMNode> removed;
        Check(node->removeChild(child.Get(), removed.Receive()), "Removing a node");
    }
}

VARIANT UnknownVariant(IUnknown* unknown) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_UNKNOWN;
    v.punkVal = unknown;  // borrowed: the variant is not cleared
    return v;
}

}  // namespace

//--- TXMLNode

TXMLNode::TXMLNode(const TXMLNode& other) : m_node(other.m_node) {
    if (m_node) m_node->AddRef();
}

TXMLNode& TXMLNode::operator=(const TXMLNode& other) {
    if (other.m_node) other.m_node->AddRef();
    if (m_node) m_node->Release();
    m_node = other.m_node;
    return *this;
}

TXMLNode::~TXMLNode() {
    if (m_node) m_node->Release();
}

std::wstring TXMLNode::NodeName() const {
    if (!m_node) return std::wstring();
    BStr name;
    Check(m_node->get_nodeName(name.Receive()), "Reading a node name");
    return name.Str();
}

TXMLNodeList TXMLNode::ChildNodes() const {
    if (!m_node) throw EXMLDocError("No node");
    return TXMLNodeList(*this);
}

TXMLNode TXMLNode::AddChild(const std::wstring& name) const {
    if (!m_node) throw EXMLDocError("No node");
    ComPtr<IXMLDOMDocument> document;
    DocumentOf(m_node, document);
    const bool onDocument = IsDocument(m_node);
    if (onDocument) {
        // The system's parser would take a second document element without a word;
        // such a document could never be saved as well-formed XML.
        ComPtr<IXMLDOMElement> root;
        Check(document->get_documentElement(root.Receive()), "Reading the document element");
        if (root) throw EXMLDocError("Only one root element allowed");
    }
    ComPtr<IXMLDOMElement> element;
    BStr elementName(name);
    Check(document->createElement(elementName.Get(), element.Receive()), "Creating an element");

    ComPtr<IXMLDOMNode> first;
    if (!onDocument) Check(m_node->get_firstChild(first.Receive()), "Reading the child nodes");
    ComPtr<IXMLDOMNode> added;
    if (first)
        Check(m_node->insertBefore(element.Get(), UnknownVariant(first.Get()), added.Receive()), "Adding an element");
    else
        Check(m_node->appendChild(element.Get(), added.Receive()), "Adding an element");
    if (!added) throw EXMLDocError("Adding an element failed (XML document object model)");
    return TXMLNode(added.Detach());
}

std::wstring TXMLNode::Text() const {
    if (!m_node) throw EXMLDocError("No node");
    ComPtr<IXMLDOMNode> child;
    Check(m_node->get_firstChild(child.Receive()), "Reading the child nodes");
    if (!child) return std::wstring();
    ComPtr<IXMLDOMNode> second;
    Check(child->get_nextSibling(second.Receive()), "Reading the child nodes");
    DOMNodeType type = NODE_INVALID;
    Check(child->get_nodeType(&type), "Reading a node type");
    if (second || (type != NODE_TEXT && type != NODE_CDATA_SECTION))
        throw EXMLDocError("Element \"" + WideToUtf8(NodeName()) + "\" does not contain a single text node");
    VARIANT value;
    VariantInit(&value);
    Check(child->get_nodeValue(&value), "Reading a text");
    std::wstring text;
    if (value.vt == VT_BSTR && value.bstrVal) text.assign(value.bstrVal, SysStringLen(value.bstrVal));
    VariantClear(&value);
    return text;
}

void TXMLNode::SetText(const std::wstring& text) const {
    if (!m_node) throw EXMLDocError("No node");
    for (;;) {
        ComPtr<IXMLDOMNode> child;
        Check(m_node->get_firstChild(child.Receive()), "Reading the child nodes");
        if (!child) break;
        ComPtr<IXMLDOMNode> removed;
        Check(m_node->removeChild(child.Get(), removed.Receive()), "Removing a node");
    }
    if (text.empty()) return;
    ComPtr<IXMLDOMDocument> document;
    DocumentOf(m_node, document);
    ComPtr<IXMLDOMText> textNode;
    BStr value(text);
    Check(document->createTextNode(value.Get(), textNode.Receive()), "Creating a text");
    ComPtr<IXMLDOMNode> added;
    Check(m_node->appendChild(textNode.Get(), added.Receive()), "Adding a text");
}

//--- TXMLNodeList

int TXMLNodeList::Count() const {
    int count = 0;
    for (TXMLNode node = Nodes(0); node; node = Nodes(++count)) {
    }
    return count;
}

TXMLNode TXMLNodeList::Nodes(int index) const {
    if (index < 0) return TXMLNode();
    ComPtr<IXMLDOMNode> child;
    Check(m_parent.m_node->get_firstChild(child.Receive()), "Reading the child nodes");
    for (int i = 0; child && i < index; ++i) {
        ComPtr<IXMLDOMNode> next;
        Check(child->get_nextSibling(next.Receive()), "Reading the child nodes");
        std::swap(*child.Receive(), *next.Receive());
    }
    return TXMLNode(child.Detach());
}

TXMLNode TXMLNodeList::operator[](const std::wstring& name) const {
    if (IXMLDOMNode* found = FindChildElement(m_parent.m_node, name)) return TXMLNode(found);
    return m_parent.AddChild(name);
}

TXMLNode TXMLNodeList::FindNode(const std::wstring& name) const {
    return TXMLNode(FindChildElement(m_parent.m_node, name));
}

//--- TXMLDocument

TXMLDocument::TXMLDocument() {
    EnsureCom();
    CLSID classId;
    if (FAILED(CLSIDFromString(const_cast<LPOLESTR>(ComponentClass().c_str()), &classId)))
        throw EXMLDocError("The XML component's class is not valid");
    ComPtr<IXMLDOMDocument> document;
    if (FAILED(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                reinterpret_cast<void**>(document.Receive()))))
        throw EXMLDocError("No XML document object could be created (MSXML 3 is missing)");
    // Files are read whole and on the spot; nothing they name is fetched.
    document->put_async(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    document->put_preserveWhiteSpace(VARIANT_FALSE);
    ComPtr<IXMLDOMDocument2> document2;
    if (SUCCEEDED(document->QueryInterface(kDocument2Interface, reinterpret_cast<void**>(document2.Receive())))) {
        BStr property(L"ProhibitDTD");
        VARIANT on;
        VariantInit(&on);
        on.vt = VT_BOOL;
        on.boolVal = VARIANT_TRUE;
        document2->setProperty(property.Get(), on);  // unknown to some versions: best effort
    }
    m_document = TXMLNode(document.Detach());
}

TXMLDocument::~TXMLDocument() = default;

TXMLNode TXMLDocument::Node() const {
    return m_document;
}

TXMLNode TXMLDocument::DocumentElement() const {
    ComPtr<IXMLDOMDocument> document;
    DocumentOf(m_document.m_node, document);
    ComPtr<IXMLDOMElement> root;
    Check(document->get_documentElement(root.Receive()), "Reading the document element");
    return TXMLNode(root.Detach());
}

void TXMLDocument::NewDocument(const std::wstring& version) {
    ComPtr<IXMLDOMDocument> document;
    DocumentOf(m_document.m_node, document);
    RemoveChildren(document.Get());
    ComPtr<IXMLDOMProcessingInstruction> declaration;
    BStr target(L"xml");
    BStr data(L"version=\"" + version + L"\"");
    Check(document->createProcessingInstruction(target.Get(), data.Get(), declaration.Receive()),
          "Creating the declaration");
    ComPtr<IXMLDOMNode> added;
    Check(document->appendChild(declaration.Get(), added.Receive()), "Adding the declaration");
}

bool TXMLDocument::LoadFromFile(const std::string& fileName) {
    ComPtr<IXMLDOMDocument> document;
    DocumentOf(m_document.m_node, document);
    BStr path(AnsiToWide(fileName));
    VARIANT source;
    VariantInit(&source);
    source.vt = VT_BSTR;
    source.bstrVal = path.Get();  // borrowed
    VARIANT_BOOL ok = VARIANT_FALSE;
    const HRESULT hr = document->load(source, &ok);
    if (hr != S_OK || ok != VARIANT_TRUE) return false;
    // A document type declaration is refused, as the parser is asked to where it
    // knows how (ProhibitDTD): its entities stand for text the file does not hold,
    // and Wine's parser, which takes it, cannot step past it to the elements.
    ComPtr<IXMLDOMDocumentType> type;
    if (SUCCEEDED(document->get_doctype(type.Receive())) && type) {
        RemoveChildren(document.Get());
        return false;
    }
    return true;
}

std::string TXMLDocument::SaveToString() const {
    ComPtr<IXMLDOMDocument> document;
    DocumentOf(m_document.m_node, document);
    ComPtr<IStream> stream;
    Check(CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive()), "Creating a stream");
    Check(document->save(UnknownVariant(stream.Get())), "Writing the document");
    STATSTG stat{};
    Check(stream->Stat(&stat, STATFLAG_NONAME), "Writing the document");
    HGLOBAL memory = nullptr;
    Check(GetHGlobalFromStream(stream.Get(), &memory), "Writing the document");
    std::string bytes;
    if (stat.cbSize.QuadPart > 0) {
        const char* data = static_cast<const char*>(GlobalLock(memory));
        if (!data) throw EXMLDocError("Writing the document failed (XML document object model)");
        bytes.assign(data, static_cast<size_t>(stat.cbSize.QuadPart));
        GlobalUnlock(memory);
    }
    return bytes;
}

bool TXMLDocument::SaveToFile(const std::string& fileName) const {
    return WriteFileReplacing(fileName, SaveToString());
}

std::wstring TXMLDocument::SetComponentClass(const std::wstring& classId) {
    return std::exchange(ComponentClass(), classId);
}
