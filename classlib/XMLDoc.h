// The XML document of the class library: a small layer over the system's XML
// document object model (MSXML 3 through COM).
#pragma once

#include <string>

#include "classlib/SysUtils.h"

struct IXMLDOMNode;

// Raised when the XML support fails: no XML component, a node that does not hold
// what was asked of it, a second document element.
class EXMLDocError : public Exception {
public:
    using Exception::Exception;
};

class TXMLNodeList;

// A reference to one node of a document (an element, or the document itself).
// Copies refer to the same node; a default-constructed node is null.
class TXMLNode {
public:
    TXMLNode() = default;
    TXMLNode(const TXMLNode& other);
    TXMLNode& operator=(const TXMLNode& other);
    ~TXMLNode();

    bool IsNull() const { return m_node == nullptr; }
    explicit operator bool() const { return m_node != nullptr; }

    std::wstring NodeName() const;
    // The child nodes, with look-up by name.
    TXMLNodeList ChildNodes() const;
    // Adds a new element of that name before the existing children. On the
    // document it adds the document element, after the declaration; a document
    // holds one document element only (EXMLDocError).
    TXMLNode AddChild(const std::wstring& name) const;
    // The text of an element: "" without children, the value of its one text (or
    // CDATA) child; any other content (elements, comments) raises EXMLDocError.
    std::wstring Text() const;
    // Makes the text the element's only content (no child at all for "").
    void SetText(const std::wstring& text) const;

private:
    friend class TXMLDocument;
    friend class TXMLNodeList;
    // Takes over one reference of the node.
    explicit TXMLNode(IXMLDOMNode* node) : m_node(node) {}

    IXMLDOMNode* m_node = nullptr;
};

// The child nodes of a node.
class TXMLNodeList {
public:
    int Count() const;
    // The child at that position (0-based), or a null node.
    TXMLNode Nodes(int index) const;
    // The first child element of that name. A missing one is created empty (in
    // the document in memory) and returned; on a document that already has a
    // document element of another name it cannot be, and EXMLDocError is raised.
    TXMLNode operator[](const std::wstring& name) const;
    // The first child element of that name, or a null node; creates nothing.
    TXMLNode FindNode(const std::wstring& name) const;

private:
    friend class TXMLNode;
    explicit TXMLNodeList(TXMLNode parent) : m_parent(std::move(parent)) {}

    TXMLNode m_parent;
};

// An XML document in memory, read from and written to files. The layer starts
// COM on the calling thread when it first needs it.
class TXMLDocument {
public:
    // Creates an empty document; EXMLDocError when the XML component is missing.
    TXMLDocument();
    ~TXMLDocument();
    TXMLDocument(const TXMLDocument&) = delete;
    TXMLDocument& operator=(const TXMLDocument&) = delete;

    // Empties the document and gives it the declaration <?xml version="..."?>
    // (no encoding: the file is UTF-8).
    void NewDocument(const std::wstring& version);
    // Replaces the document by the file's. False when the file is missing, cannot
    // be read or is not well-formed XML.
    bool LoadFromFile(const std::string& fileName);
    // The document as the bytes of a file: UTF-8, no indentation added.
    std::string SaveToString() const;
    // Writes the document to a file, replacing it safely (see WriteFileReplacing).
    // False when the file could not be written; the old file is unchanged then.
    bool SaveToFile(const std::string& fileName) const;

    // The document node, its children, and its document element (null if none).
    TXMLNode Node() const;
    TXMLNodeList ChildNodes() const { return Node().ChildNodes(); }
    TXMLNode AddChild(const std::wstring& name) { return Node().AddChild(name); }
    TXMLNode DocumentElement() const;

    // The COM class of the document object, as "{...}" text. Tests choose one that
    // does not exist to see the program without XML support. Returns the previous.
    static std::wstring SetComponentClass(const std::wstring& classId);

private:
    TXMLNode m_document;
};
