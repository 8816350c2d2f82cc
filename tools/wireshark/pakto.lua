-- Wireshark dissector for the frames in a Pakto capture (pcapng, link type 147,
-- LINKTYPE_USER0). Each packet is one frame as the decoder stored it: flags
-- removed, escapes undone, the body followed by its two FCS bytes as received.
--
--   tshark -X lua_script:/usr/share/pakto/pakto.lua -r run.pcapng
--
-- Direction and the receive errors (bad FCS, too long, too short, symbol error)
-- are in the packet flags, which Wireshark shows itself as frame.packet_flags_*.

local pakto = Proto("pakto", "Pakto test frame")

local PACKET_TAG = 0x5A
local TAGGED_MIN = 4 -- tag, SID and the FCS
local STORED_MIN = 3 -- one body byte and the FCS: fewer, and the frame was refused

local f = {
    tag = ProtoField.uint8("pakto.tag", "Tag", base.HEX),
    sid = ProtoField.uint8("pakto.sid", "SID", base.DEC),
    payload = ProtoField.bytes("pakto.payload", "Payload"),
    fcs = ProtoField.uint16("pakto.fcs", "FCS", base.HEX),
    fcs_ok = ProtoField.bool("pakto.fcs_ok", "FCS good"),
    fcs_expected = ProtoField.uint16("pakto.fcs_expected", "FCS expected", base.HEX),
    short = ProtoField.bytes("pakto.short", "Short frame"),
}
pakto.fields = { f.tag, f.sid, f.payload, f.fcs, f.fcs_ok, f.fcs_expected, f.short }

local e = {
    bad_fcs = ProtoExpert.new("pakto.fcs_bad", "Bad FCS", expert.group.CHECKSUM,
                              expert.severity.ERROR),
    short = ProtoExpert.new("pakto.short_frame", "Frame too short to carry an FCS",
                            expert.group.MALFORMED, expert.severity.ERROR),
    truncated = ProtoExpert.new("pakto.truncated", "Frame cut short by the capture: FCS not captured",
                                expert.group.MALFORMED, expert.severity.WARN),
}
pakto.experts = { e.bad_fcs, e.short, e.truncated }

-- CRC-16/X.25 (the FCS-16 of RFC 1662): reflected polynomial 0x8408, built once.
local band, bxor, rshift = bit32.band, bit32.bxor, bit32.rshift
local fcs_table = {}
for i = 0, 255 do
    local v = i
    for _ = 1, 8 do
        if band(v, 1) == 1 then v = bxor(rshift(v, 1), 0x8408) else v = rshift(v, 1) end
    end
    fcs_table[i] = v
end

-- The FCS a sender puts after the body: the register from 0xFFFF, complemented.
-- Its low byte goes first on the line, so it compares with the trailer read little-endian.
local function fcs16(body)
    local fcs = 0xFFFF
    local byte = string.byte
    for i = 1, #body do
        fcs = bxor(rshift(fcs, 8), fcs_table[band(bxor(fcs, byte(body, i)), 0xFF)])
    end
    return bxor(fcs, 0xFFFF)
end

function pakto.dissector(tvb, pinfo, tree)
    -- A snapshot length below the frame's leaves part of it out of the capture:
    -- the frame's own length decides its layout, only what was captured is shown.
    local captured, len = tvb:len(), tvb:reported_len()
    pinfo.cols.protocol = "Pakto"
    local subtree = tree:add(pakto, tvb())

    if len < STORED_MIN then
        if captured > 0 then subtree:add(f.short, tvb()) end
        subtree:add_proto_expert_info(e.short)
        pinfo.cols.info = string.format(len == 1 and "%d byte, too short" or "%d bytes, too short", len)
        return captured
    end

    local body_len = len - 2
    local offset, info = 0, ""
    if len >= TAGGED_MIN and captured >= 2 and tvb(0, 1):uint() == PACKET_TAG then
        subtree:add(f.tag, tvb(0, 1))
        subtree:add(f.sid, tvb(1, 1))
        info = string.format("SID %d, ", tvb(1, 1):uint())
        offset = 2
    end
    local payload_len = body_len - offset
    local payload_shown = math.min(payload_len, captured - offset)
    if payload_shown > 0 then subtree:add(f.payload, tvb(offset, payload_shown)) end
    info = info .. string.format(payload_len == 1 and "%d byte" or "%d bytes", payload_len)

    if captured < len then
        subtree:add_proto_expert_info(e.truncated)
        pinfo.cols.info = info .. ", FCS not captured"
        return captured
    end

    local fcs_range = tvb(body_len, 2)
    local fcs_item = subtree:add_le(f.fcs, fcs_range)
    local expected = fcs16(tvb:raw(0, body_len))
    local good = expected == fcs_range:le_uint()
    subtree:add(f.fcs_expected, fcs_range, expected):set_generated()
    subtree:add(f.fcs_ok, fcs_range, good):set_generated()
    if not good then fcs_item:add_proto_expert_info(e.bad_fcs) end
    pinfo.cols.info = info .. (good and ", FCS good" or ", FCS bad")
    return captured
end

-- The encapsulation numbers; wtap is the same table under its older name.
local encaps = wtap_encaps or wtap
DissectorTable.get("wtap_encap"):add(encaps.USER0, pakto)
