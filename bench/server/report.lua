-- Ends a wrk run with one line the server benchmark reads: the 95th percentile and the errors.
done = function(summary, latency, requests)
    local e = summary.errors
    io.write(string.format("RESULT p95_ms=%.1f p50_ms=%.1f requests=%d errors=%d non2xx=%d\n",
        latency:percentile(95) / 1000, latency:percentile(50) / 1000, summary.requests,
        e.connect + e.read + e.write + e.timeout, e.status))
end
