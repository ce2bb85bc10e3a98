#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

The seeds are the documented wire documents (the empty branch, the pre-login data, a request
header), the replies the operations read (login, publish, portal settings, object description,
folder listing) and the portal's XML replies. Run it again after changing a seed; the files are
committed.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def counted(text):
    data = text.encode() if isinstance(text, str) else text
    if len(data) >= 0xFFFF:
        return b"\xff\xff" + struct.pack(">I", len(data)) + data
    return struct.pack(">H", len(data)) + data


TAG = counted("ATFormat2")


def integer(name, value, flag=0, tag=""):
    return struct.pack(">H", 3) + counted(name) + struct.pack(">iH", value, flag) + counted(tag)


def text(name, value, flag=0, tag=""):
    return struct.pack(">H", 4) + counted(name) + counted(value) + struct.pack(">H", flag) + counted(tag)


def binary(name, data):
    return struct.pack(">H", 5) + counted(name) + struct.pack(">I", len(data)) + data


def branch(name, *entries):
    return struct.pack(">H", 1) + counted(name) + b"".join(entries) + struct.pack(">H", 2) + counted("")


def document(*entries, root=""):
    return TAG + branch(root, *entries) + struct.pack(">H", 6)


def leaf_document(entry):
    return TAG + entry


def header(error_code=0, agent="BRWebServer", descriptor="", message_type=4, version=1, *extra):
    return document(text("Agent", agent), integer("ErrorCode", error_code), *extra,
                    integer("MessageType", message_type), integer("ProtocolVersion", version),
                    text("SecurityDescriptor", descriptor))


TREES = {
    "empty_branch": document(),
    "pre_login_request_data": document(text("pre_login", "1")),
    "request_header": document(text("Agent", "Publish"), integer("ErrorCode", 0), integer("MessageType", 4),
                               integer("ProtocolVersion", 1), text("SecurityDescriptor", "")),
    "named_root": document(text("a", "b", 1, "t"), root="root"),
    "nested": document(integer("depth", -1, 0xFFFF), branch("FLD", branch("Publish", text("Lumora_url", "http://portal:8020/"),
                                                                          integer("Lumora_port", 8020)))),
    "binary_leaves": document(binary("empty", b""), binary("bytes", bytes(range(16)))),
    "leaf_integer": leaf_document(integer("", 7, 1, "null")),
    "leaf_text": leaf_document(text("", "hello", 0, "tag")),
    "leaf_binary": leaf_document(binary("", b"\x00\x01\x02")),
    "long_form_string": TAG + struct.pack(">H", 1) + b"\xff\xff\x00\x00\x00\x03abc" + struct.pack(">HH", 2, 0) + struct.pack(">H", 6),
    "nul_in_string": document(text("name", "a\x00b")),
    "duplicate_names": document(text("x", "first"), integer("x", 2)),
    "entries_after_root_end": TAG + struct.pack(">H", 1) + counted("") + struct.pack(">HH", 2, 0) + text("late", "1") + struct.pack(">H", 6),
    # Two documents: the second is read over the first as well as fresh.
    "two_replies_same_shape": document(text("Name", "Sales"), integer("Revision", 12), branch("FLD", text("Owner", "a")))
    + document(text("Name", "Other"), integer("Revision", 13), branch("FLD", text("Owner", "someone else"))),
    "two_replies_other_shapes": document(text("a", "1"), integer("b", 2), branch("c", integer("d", 3)), text("e", "x"))
    + document(integer("a", 1), branch("b", text("x", "y")), text("c", "leaf now"), integer("f", 9, 1, "t")),
}

REPLIES = {
    "pre_login_open": header() + document(text("ACL", ""), text("Mode", "ticket"), text("ServerNamespace", "ns")),
    "pre_login_password": header(descriptor="sd-1") + document(text("Mode", "password"), integer("Secured", 1)),
    "login_permission": header() + document(integer("permission", 1)),
    "publish_url": header(agent="Publish") + document(text("URL", "http://server:8010/gateway?DC=R&E=CONTENT")),
    "portal_publish": header(agent="Publish") + document(text("content", "CONTENT"), text("gateway", "http://server/gateway")),
    "portal_settings": header() + document(branch("FLD", branch("Publish", text("Lumora_url", "http://portal:8020/"),
                                                                 integer("Lumora_port", 8020)))),
    "object": header() + document(text("Class", "Report"), text("Mirrors", "lpwq://b;lpwq://A12"), text("Name", "r"),
                                  text("Revision", "7", 1), branch("~hidden", text("x", "y"))),
    "folder": header() + document(branch("Content", branch("a", text("Class", "Folder")), branch("b", text("Class", "Report")))),
    "error_code": header(error_code=7) + document(),
    "leaf_data": header() + leaf_document(text("", "just a leaf")),
    "extra_header_leaf": header(0, "BRWebServer", "", 4, 1, text("Extra", "kept")) + document(),
    "protocol_version_text": document(text("Agent", "a"), integer("ErrorCode", 0), integer("MessageType", 4),
                                      text("ProtocolVersion", "1"), text("SecurityDescriptor", "")) + document(),
    "leaf_header": leaf_document(integer("", 1)) + document(),
}

XML = {
    "success": '<Result><Standard_Result ResultCode="Success"/></Result>',
    "failure_message": '<Result><Standard_Result ResultCode="Failed"><Message>No such NewsBox</Message></Standard_Result></Result>',
    "failure_code_only": "<Result><Standard_Result ResultCode='E42'></Standard_Result></Result>",
    "newsboxes": '<Result><Standard_Result ResultCode="success"/><NewsBox><FullName>/Public/Sales</FullName><Id>11</Id></NewsBox>'
                 '<NewsBox><FullName>/Public</FullName><Id>10</Id></NewsBox><NewsBox><Id>12</Id></NewsBox></Result>',
    "created": '<Result><Standard_Result ResultCode="Success"/><Id>42</Id></Result>',
    "described": '<Result><Standard_Result ResultCode="Success"/><NewsItem><Name>Sales &amp; more</Name>'
                 '<Description>Q3</Description><ParentId>11</ParentId><BIGateway>http://s/gateway</BIGateway>'
                 '<ContentName>C1</ContentName><DefaultAction>R</DefaultAction>'
                 '<Action><Name>R</Name><URL>http://s/gateway?DC=R&amp;E=C1</URL></Action></NewsItem></Result>',
    "declaration": '<?xml version="1.0" encoding="UTF-8"?>\n<Result>\n  <Standard_Result ResultCode="Success"/>\n</Result>\n',
    "declaration_caps": '<?XML version="1.0"?><Result/>\n',
    "bad_version": '<?xml version="1"?><Result/>\n',
    "cdata_comment_doctype": '<!DOCTYPE Result SYSTEM "r.dtd"><Result><!-- a comment --><![CDATA[a<b]]>]]>]]><x a="1" b=\'2\'/>text</Result>',
    "attribute_gt": '<Result><Standard_Result ResultCode="a>b"/></Result>',
    "unquoted": "<Result a=1></Result>",
    "overlap": "<Result><a></b></Result>",
    "unclosed": "<Result><NewsBox><FullName>x",
    "pi_inside": "<Result><?pi x?></Result>",
    "blank_first": " <Result></Result>",
    "entities": "<Result>&amp;lt; &apos; &#65; &quot;&gt;</Result>",
    "whitespace": "<Result>\r\n\t<a>\v</a> <b x=\"1\r\n2\t3\"/></Result>",
}

# The two targets below read their input with FuzzedDataProvider: texts from the front (a
# backslash and one more byte end a text), numbers and choices from the back.
def provider_input(texts, choices):
    return b"".join(t.encode() + b"\\\x01" for t in texts) + bytes(reversed(choices))


PATHS = {
    "dotted": provider_input(["data.props.Name", "value", "data.props", "copy.of.props"], [0, 1, 0, 3, 0, 5, 0, 11]),
    "braces": provider_input(["{data}{props}", "Description", "data{props}"], [1, 0, 4, 2, 0, 5]),
    "delimiters_only": provider_input(["..{}}{.", "x", "", "."], [1, 4, 10, 5, 1]),
    "hidden": provider_input(["~hidden.x", "y", "~hidden", "a.b"], [1, 11, 3, 9, 10]),
    "long": provider_input([("a." * 30), "z"], [1, 0, 5, 2]),
}

# Scenario 0 judges one reply, 1 describes a known item, 2 republishes, 3 publishes anew,
# 4 builds the wizard's NewsBox tree.
PORTAL = {"judge_" + name: provider_input([value], [0]) for name, value in XML.items()}
PORTAL.update({
    "describe": provider_input([XML["described"]], [1, 1]),
    "republish": provider_input(["description", XML["described"], "http://s/gateway?DC=R&E=C1", XML["success"]],
                                [2, 1, 1, 1, 1, 1, 1]),
    "publish": provider_input(["Report", "/Public/Sales", XML["newsboxes"], XML["created"],
                               "http://s/gateway?DC=R&E=C2", XML["success"]], [3, 1, 1, 1, 1, 1, 1, 1, 1, 1]),
    "newsbox_tree": provider_input([XML["newsboxes"], "11", "/Public/Sales//Q3", "no slash", "/"], [4, 1]),
    "publish_portal_address": provider_input(["Report", "/Public/Sales", "http://portal:8020/x", XML["newsboxes"]],
                                             [3, 0, 1, 1, 1, 1, 1, 1]),
})

CORPORA = {
    "fuzz_tree_reader": TREES,
    "fuzz_message_receive": REPLIES,
    "fuzz_xml_parse": {name: value.encode() for name, value in XML.items()},
    "fuzz_tree_paths": PATHS,
    "fuzz_portal_replies": PORTAL,
}


def main():
    for target, seeds in CORPORA.items():
        folder = os.path.join(HERE, "corpus", target)
        os.makedirs(folder, exist_ok=True)
        for name, data in seeds.items():
            with open(os.path.join(folder, name), "wb") as out:
                out.write(data)


if __name__ == "__main__":
    main()
