-- Each wrk thread is one venue PC: it sends its own device's download with its own token, again and
-- again (the first is archived, the rest are found already archived). TOKENS and FILES come from the
-- environment, separated by spaces, one pair per thread.
local tokens, files = {}, {}
for t in string.gmatch(os.getenv("TOKENS") or "", "%S+") do table.insert(tokens, t) end
for f in string.gmatch(os.getenv("FILES") or "", "%S+") do table.insert(files, f) end
local counter = 0

setup = function(thread)
    counter = counter + 1
    thread:set("token", tokens[counter])
    thread:set("file", files[counter])
end

-- The request is made once: a thread does not spend its time rebuilding half a megabyte.
init = function(args)
    local f = assert(io.open(file, "rb"))
    local body = f:read("*a")
    f:close()
    prepared = wrk.format("POST", "/api/v1/downloads", {
        ["Authorization"] = "Bearer " .. token,
        ["Content-Type"] = "application/octet-stream",
    }, body)
end

request = function()
    return prepared
end

-- The same closing line as every other run.
dofile(debug.getinfo(1, "S").source:match("^@(.*/)") .. "report.lua")
