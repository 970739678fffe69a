#!/usr/bin/env python3
"""A TCP relay on 127.0.0.1 that holds every chunk for a fixed delay in each
direction, as a distant server would, without limiting the bandwidth.

usage: latency_proxy.py LISTEN_PORT TARGET_PORT [--delay-ms 5]
"""
import argparse
import asyncio


async def relay(reader, writer, delay):
    loop = asyncio.get_running_loop()
    queue = asyncio.Queue()

    async def forward():
        while True:
            due, data = await queue.get()
            wait = due - loop.time()
            if wait > 0:
                await asyncio.sleep(wait)
            if not data:
                break
            writer.write(data)
            await writer.drain()
        writer.close()

    sender = asyncio.create_task(forward())
    try:
        while True:
            data = await reader.read(256 * 1024)
            queue.put_nowait((loop.time() + delay, data))
            if not data:
                break
    except ConnectionError:
        queue.put_nowait((loop.time(), b""))
    await sender


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("listen_port", type=int)
    parser.add_argument("target_port", type=int)
    parser.add_argument("--delay-ms", type=float, default=5.0)
    args = parser.parse_args()
    delay = args.delay_ms / 1000

    async def serve(client_reader, client_writer):
        server_reader, server_writer = await asyncio.open_connection("127.0.0.1", args.target_port)
        await asyncio.gather(relay(client_reader, server_writer, delay), relay(server_reader, client_writer, delay),
                             return_exceptions=True)

    server = await asyncio.start_server(serve, "127.0.0.1", args.listen_port)
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    asyncio.run(main())
